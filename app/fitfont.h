// Mends for CJK fonts other than the one the window was drawn for (WenQuanYi Zen Hei
// keeps SimSun's sizes). Applied once the controls are built; wherever the text fits,
// nothing is changed.
#pragma once

class QWidget;

namespace lumivox {

// Check boxes as tall as their caption's line; labels moved back inside their
// panel, or a pixel smaller where moving is not enough; a status line's margin given
// to its text; a read-only memo without scroll bars sized down until every line
// shows.
void FitTextToFont(QWidget* window);

} // namespace lumivox
