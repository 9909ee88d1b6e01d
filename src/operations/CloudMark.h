// The marker of a cloud placeholder: a small white cloud with a blue outline over the lower right corner of
// its icon, as cloud stores mark their online-only files. The icon beneath stays the icon of the file's type.
#pragma once

#include "framework/Graphics.h"

#include <windows.h>

// The outline's colour, RGB(0, 120, 215).
constexpr fw::Color kCloudMarkColor = 0x00D77800;

// Draws the cloud over `icon`, a square in the canvas's coordinates; it takes 5/8 of its width.
void DrawCloudMark(fw::Canvas& canvas, const RECT& icon);
