// The commands of the qlnu tool. Each reads its own options from argv[2...] and answers the
// exit status; failures are thrown as ToolError.
#pragma once

#include <string>
#include <vector>

#include "ffmpeg.h"
#include "picture_layouts.h"

int EncodeCommand(int argc, char** argv);
int DecodeCommand(int argc, char** argv);
int InfoCommand(int argc, char** argv);
int DemoCommand(int argc, char** argv);

// The layout named by the value of `option` ("uyvy", "rgb24"...) among `formats`; a ToolError
// of usage status that lists the names when there is none.
const PictureFormat& FormatNamed(const std::string& name, const std::vector<PictureFormat>& formats,
                                 const std::string& option);

// "uyvy", "rgb24": the name the command line takes.
std::string LayoutName(const PictureFormat& format);

// "25", "29.97".
std::string RateText(AVRational rate);
