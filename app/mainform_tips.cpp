// The status line's rotating tips: loaded once, in the background, on the first
// tick of tmr1, then a random tip on every tick.
#include <QDesktopServices>
#include <QLabel>

#include "app/exceptionbox.h"
#include "app/mainform.h"

#include "settings/platform/settingslocation.h"
#include "tips/lvwebtips.h"
#include "tips/platform/tipdisplay.h"
#include "tips/platform/tipsdownload.h"
#include "tips/tipsfile.h"
#include <QTextDocument>

void TForm1::tmr1Timer() {
    lumivox::RunHandler(this, [this] {
        if (!TipsLoaded) {
            // Set first: whatever the load does, it is never tried again.
            TipsLoaded = true;
            StartTipsLoad();
            return;
        }
        ShowRandomTip();
    });
}

void TForm1::StartTipsLoad() {
    lumivox::TipsLimits limits;
    limits.totalMs = tipsTimeLimitMs;
    lumivox::StartTipsDownload(lumivox::TipsUrl(), limits, this, [this](const QByteArray& body) {
        if (closed_)
            return;
        lumivox::RunHandler(this, [this, &body] { TipsArrived(body); });
    });
}

void TForm1::TipsArrived(const QByteArray& body) {
    const std::string path =
        lumivox::TipsFilePath(lumivox::SettingsDirectory(options_.settingsDir));
    lumivox::WriteTipsFile(path, std::string_view(body.constData(), std::size_t(body.size())));
    auto tips = std::make_unique<lvWebTips>();
    tips->ParseTips(path);
    Tips = std::move(tips);
    ShowRandomTip();
}

void TForm1::ShowRandomTip() {
    if (!Tips || Tips->TipCount <= 0 || !lblTips)
        return;
    const int i = Tips->PickTip();
    const QString text = lumivox::TipDisplayText(Tips->TipText[i]);
    // Tips come from the network: never let them be read as markup.
    lblTips->setTextFormat(Qt::PlainText);
    lblTips->setText(text + QStringLiteral(" >>"));
    // A hover hint reads anything that looks like markup as markup: such a tip goes
    // there escaped, as a paragraph of plain text.
    lblTips->setToolTip(Qt::mightBeRichText(text) ? Qt::convertFromPlainText(text) : text);
    CurrentTipLink = Tips->TipLink[i];
}

void TForm1::lblTipsClick() {
    lumivox::RunHandler(this, [this] {
        if (CurrentTipLink.empty())
            return;
        const QUrl url = lumivox::OpenableTipUrl(CurrentTipLink);
        if (url.isValid())
            QDesktopServices::openUrl(url);
    });
}
