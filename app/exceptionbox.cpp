#include "app/exceptionbox.h"

#include <QMessageBox>

#include "framework/exceptiontext.h"
#include "maker.h"

namespace lumivox {

namespace {
MessageBoxPresenter& Presenter() {
    static MessageBoxPresenter presenter;
    return presenter;
}
} // namespace

void SetMessageBoxPresenter(MessageBoxPresenter presenter) {
    Presenter() = std::move(presenter);
}

void ShowMessageBox(QWidget* owner, const QString& title, const QString& text) {
    if (Presenter()) {
        Presenter()(title, text);
        return;
    }
    QMessageBox box(QMessageBox::Critical, title, text, QMessageBox::Ok, owner);
    box.exec();
}

void ShowException(QWidget* owner, const QString& message) {
    const std::string text = ExceptionBoxText(message.toStdString());
    ShowMessageBox(owner, QString::fromUtf8(maker::kTitle), QString::fromStdString(text));
}

void ShowException(QWidget* owner, const std::exception& error) {
    ShowException(owner, QString::fromUtf8(error.what()));
}

} // namespace lumivox
