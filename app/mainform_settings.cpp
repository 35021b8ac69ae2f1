// The window's choices kept from one run to the next in section "Common" of the
// settings file. The controls hold the live values; these two copy them in and out.
#include "app/mainform.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>

#include "settings/inifile.h"
#include "settings/platform/settingslocation.h"

namespace {

const std::string kSection = "Common";

std::string Text(const QComboBox* box) {
    return box->currentText().toStdString();
}

bool EqualsIgnoringAsciiCase(const QString& a, const QString& b) {
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        const char16_t x = a[i].unicode();
        const char16_t y = b[i].unicode();
        auto lower = [](char16_t c) { return (c >= u'A' && c <= u'Z') ? char16_t(c + 32) : c; };
        if (lower(x) != lower(y))
            return false;
    }
    return true;
}

// A pick-list box shows only its items: the stored text selects its item, or
// nothing at all when no item is that text.
void SelectItem(QComboBox* box, const std::string& stored) {
    const QString text = QString::fromStdString(stored);
    int found = -1;
    for (int i = 0; i < box->count() && found < 0; ++i)
        if (EqualsIgnoringAsciiCase(box->itemText(i), text))
            found = i;
    box->setCurrentIndex(found);
}

// Setting a different state fires the box's click handler through its toggled signal.
void SetChecked(QCheckBox* box, TIniFile& ini, const std::string& key) {
    box->setChecked(ini.ReadInteger(kSection, key, 0) != 0);
}

void WriteChecked(TIniFile& ini, const std::string& key, const QCheckBox* box) {
    ini.WriteInteger(kSection, key, box->isChecked() ? 1 : 0);
}

} // namespace

void TForm1::LoadSettings() {
    try {
        TIniFile ini(lumivox::SettingsFilePath(options_.settingsDir));
        if (!ini.SectionExists(kSection))
            return; // every control keeps its design value
        SelectItem(cbbHour, ini.ReadString(kSection, "HourCounter", "0"));
        SelectItem(cbbMin, ini.ReadString(kSection, "MinuteCounter", "10"));
        SelectItem(cbbSec, ini.ReadString(kSection, "SecondCounter", "30"));
        SetChecked(chkMin, ini, "IsMinuteCounter");
        cbbLastMin->setEditText(
            QString::fromStdString(ini.ReadString(kSection, "LastMinute", "10")));
        cbbPerMin->setEditText(QString::fromStdString(ini.ReadString(kSection, "PerMinute", "1")));
        SetChecked(chkSec, ini, "IsSecondCounter");
        cbbLastSec->setEditText(
            QString::fromStdString(ini.ReadString(kSection, "LastSecond", "30")));
        cbbPerSec->setEditText(QString::fromStdString(ini.ReadString(kSection, "PerSecond", "1")));
        SetChecked(chkLastOne, ini, "IsLastOne");
        SetChecked(chkCircle, ini, "IsCircle");
        SetChecked(chkDispTop, ini, "IsDispTop");
        SetChecked(chkHour, ini, "IsHour");
        SetChecked(chkHalf, ini, "IsHalf");
    } catch (...) {
        // Settings never stop the window from starting: what was set stays set.
    }
}

void TForm1::SaveSettings() {
    try {
        const std::string folder = lumivox::SettingsDirectory(options_.settingsDir);
        const std::string path = folder + lumivox::kSettingsFileName;
        TIniFile ini(path);
        bool write = ini.SectionExists(kSection);
        // A portable copy keeps its file as the user left it; the per-user place
        // is the program's own, so its file is made at the first close.
        if (!write && !lumivox::IsPortableSettings(options_.settingsDir) &&
            !QFileInfo::exists(QString::fromStdString(path))) {
            QDir().mkpath(QString::fromStdString(folder));
            write = true;
        }
        if (write) {
            ini.WriteString(kSection, "HourCounter", Text(cbbHour));
            ini.WriteString(kSection, "MinuteCounter", Text(cbbMin));
            ini.WriteString(kSection, "SecondCounter", Text(cbbSec));
            WriteChecked(ini, "IsMinuteCounter", chkMin);
            ini.WriteString(kSection, "LastMinute", Text(cbbLastMin));
            ini.WriteString(kSection, "PerMinute", Text(cbbPerMin));
            WriteChecked(ini, "IsSecondCounter", chkSec);
            ini.WriteString(kSection, "LastSecond", Text(cbbLastSec));
            ini.WriteString(kSection, "PerSecond", Text(cbbPerSec));
            WriteChecked(ini, "IsLastOne", chkLastOne);
            WriteChecked(ini, "IsCircle", chkCircle);
            WriteChecked(ini, "IsDispTop", chkDispTop);
            WriteChecked(ini, "IsHour", chkHour);
            WriteChecked(ini, "IsHalf", chkHalf);
        }
        ini.UpdateFile();
    } catch (...) {
        // A refused save must not stop the close; the old file is left as it was.
    }
}
