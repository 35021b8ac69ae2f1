// The standard exception box: every event handler runs through RunHandler, so an
// exception never unwinds into Qt's event loop; it is shown and the handler abandoned.
#pragma once
#include <QString>
#include <QWidget>

#include <exception>
#include <functional>

namespace lumivox {

// Shows a modal box with the error icon and an OK button.
void ShowMessageBox(QWidget* owner, const QString& title, const QString& text);

// Shows an exception the standard way: title = application title, text = the
// message with a full stop added where it lacks one.
void ShowException(QWidget* owner, const std::exception& error);
void ShowException(QWidget* owner, const QString& message);

// Replaces the modal box (for tests); an empty function restores it.
using MessageBoxPresenter = std::function<void(const QString& title, const QString& text)>;
void SetMessageBoxPresenter(MessageBoxPresenter presenter);

template <typename Handler> void RunHandler(QWidget* owner, Handler&& handler) {
    try {
        handler();
    } catch (const std::exception& error) {
        ShowException(owner, error);
    } catch (...) {
        ShowException(owner, QString());
    }
}

} // namespace lumivox
