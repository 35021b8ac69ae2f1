// The window's choices kept from one run to the next in section "Common" of the
// settings file. The controls hold the live values; LoadSettings and SaveSettings copy
// them in and out, and every change is saved shortly after it is made, so a program
// that is never closed through its window keeps it too.
#include "app/mainform.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QTimer>

#include <string>
#include <vector>

#include "app/windowlayout.h"
#include "settings/inifile.h"
#include "settings/platform/settingslocation.h"

namespace {

namespace layout = lumivox::layout;

const std::string kSection = layout::kSettingsSection;

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

enum class Kind { PickList, Editable, Check };

struct Setting {
    const char* key;
    QWidget* control;
    Kind kind;
    std::string defaultValue; // the control's design value
};

// The settings file's keys, in the order they are read and written, each with the
// control holding it; the keys and controls come from the window's one table.
std::vector<Setting> Settings(const TForm1& f) {
    std::vector<Setting> settings;
    for (const layout::Setting& s : layout::Settings()) {
        const layout::Control& c = layout::Find(s.control);
        auto* control = f.findChild<QWidget*>(QString::fromStdString(c.name));
        if (c.kind == layout::Kind::Check)
            settings.push_back({s.key.c_str(), control, Kind::Check, "0"});
        else
            settings.push_back(
                {s.key.c_str(), control, c.editable ? Kind::Editable : Kind::PickList, c.text});
    }
    return settings;
}

QComboBox* Box(const Setting& s) {
    return static_cast<QComboBox*>(s.control);
}

QCheckBox* Check(const Setting& s) {
    return static_cast<QCheckBox*>(s.control);
}

void Apply(const Setting& s, TIniFile& ini) {
    switch (s.kind) {
    case Kind::PickList:
        SelectItem(Box(s), ini.ReadString(kSection, s.key, s.defaultValue));
        break;
    case Kind::Editable:
        Box(s)->setEditText(
            QString::fromStdString(ini.ReadString(kSection, s.key, s.defaultValue)));
        break;
    case Kind::Check:
        // Setting a different state fires the box's click handler through its toggled signal.
        Check(s)->setChecked(ini.ReadInteger(kSection, s.key, std::stoi(s.defaultValue)) != 0);
        break;
    }
}

void Store(const Setting& s, TIniFile& ini) {
    if (s.kind == Kind::Check)
        ini.WriteInteger(kSection, s.key, Check(s)->isChecked() ? 1 : 0);
    else
        ini.WriteString(kSection, s.key, Text(Box(s)));
}

// A burst of changes (typing, a wheel over a box) becomes one write.
constexpr int kSaveDelayMs = 500;

} // namespace

void TForm1::LoadSettings() {
    try {
        TIniFile ini(lumivox::SettingsFilePath(options_.settingsDir));
        if (!ini.SectionExists(kSection))
            return; // every control keeps its design value
        for (const Setting& setting : Settings(*this))
            Apply(setting, ini);
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
            for (const Setting& setting : Settings(*this))
                Store(setting, ini);
        }
        ini.UpdateFile();
    } catch (...) {
        // A refused save must not stop the close; the old file is left as it was.
    }
}

void TForm1::SaveSettingsSoon() {
    if (!settingsSaveTimer_) {
        settingsSaveTimer_ = new QTimer(this);
        settingsSaveTimer_->setSingleShot(true);
        settingsSaveTimer_->setInterval(kSaveDelayMs);
        connect(settingsSaveTimer_, &QTimer::timeout, this, [this] { SaveSettings(); });
    }
    // Not restarted by later changes: every change is on disk within the delay.
    if (!settingsSaveTimer_->isActive() && !closed_)
        settingsSaveTimer_->start();
}

void TForm1::WatchSettings() {
    for (const Setting& setting : Settings(*this)) {
        if (setting.kind == Kind::Check)
            connect(Check(setting), &QCheckBox::toggled, this, &TForm1::SaveSettingsSoon);
        else
            connect(Box(setting), &QComboBox::currentTextChanged, this, &TForm1::SaveSettingsSoon);
    }
}
