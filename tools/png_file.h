// Pictures written as PNG files, for people to look at.
#pragma once

#include <string>

#include "picture_layouts.h"

// Writes a top-down picture of 8-bit R, G, B pixels; false (with a message on standard error)
// when the file cannot be written.
bool WriteRgbPng(const std::string& path, int width, int height, const Bytes& topDownRgb);

// The same picture as the driver's bottom-up B, G, R rows.
bool WriteBottomUpBgrPng(const std::string& path, int width, int height, const Bytes& bgr);
