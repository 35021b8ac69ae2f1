// Work that can wait until the window is on screen: it runs once, from the event loop,
// right after the window's first paint has gone out.
#pragma once
#include <functional>

class QWidget;

namespace lumivox {

// Runs `work` once after the first paint of `window`; never when the window is
// destroyed first.
void AfterFirstPaint(QWidget* window, std::function<void()> work);

} // namespace lumivox
