#pragma once
// The program turns every wheel notch into an arrow key, so that grids and lists move one row
// per notch. Widgets that scroll or zoom with the wheel themselves (the report preview and the
// designer's canvas) carry this dynamic property set to true and get the wheel unchanged.
inline constexpr const char* kNativeWheelProperty = "vinordaNativeWheel";
