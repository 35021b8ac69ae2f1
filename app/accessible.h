// What screen readers see of the Qt window beyond Qt's own: links as links, the
// countdown's spoken name, and group boxes without the controls that are never shown.
#pragma once
#include <QString>

class QLabel;

namespace lumivox {

// Once per program, before the window is built; costs nothing until a screen reader
// asks for the window's accessible tree.
void InstallAccessibility();

// The label's accessible name, changed without telling the screen reader; announce
// tells it (as a name change) now.
void SetSpokenName(QLabel* label, const QString& name, bool announce);

} // namespace lumivox
