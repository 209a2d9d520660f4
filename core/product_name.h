#pragma once

// The product's name, as its windows, the tray, the desktop and the
// single-instance socket spell it.
inline constexpr char kProductName[] = "Tarnwell Quillbox";
