// Field order and pixel shape as the tool names, finds and shows them. QLNU frames show their
// odd-line (bottom) field first: it is the field that frames compressed from packed YUV hold
// first and that the driver hands a video board first.
#pragma once

#include <optional>
#include <string>

#include "avi_video_properties.h"
#include "ffmpeg.h"

// The field order of QLNU video, and that order reversed (the driver's field order swap).
inline constexpr AVFieldOrder kQlnuFieldOrder = AV_FIELD_BB;
AVFieldOrder Swapped(AVFieldOrder order);

// "tff", "bff" or "progressive" (--field-order); a ToolError of usage status for another name.
AVFieldOrder FieldOrderNamed(const std::string& name);
// "top field first", "bottom field first", "progressive"; "unknown field order" otherwise.
std::string FieldOrderText(AVFieldOrder order);

// The field order of a source: what its first picture says, else its stream, else an AVI's
// video properties; AV_FIELD_PROGRESSIVE when nothing says it is interlaced. Orders whose
// coded and shown first fields differ are taken by the first field shown, as FFmpeg's
// decoders flag pictures (top first for TB).
AVFieldOrder SourceFieldOrder(const AVFrame& first, const AVCodecParameters& stream,
                              const std::optional<AviVideoProperties>& properties);

// "pixels 64:45 (16:9 picture)"; empty for square or unknown pixels.
std::string ShapeText(AVRational pixelAspect, int width, int height);
