#pragma once
#include <cstdint>
#include <functional>
enum class TShapeKind : uint8_t { Line, Rect, FilledRect, Ellipse, FilledEllipse };
void ConstrainShapeEnd(TShapeKind kind, int32_t x0, int32_t y0, int32_t& x1, int32_t& y1);
void ShapeCells(TShapeKind kind, int32_t x0, int32_t y0, int32_t x1, int32_t y1,
                const std::function<void(int32_t x, int32_t y)>& visit);
