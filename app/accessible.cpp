#include "app/accessible.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QAccessibleWidget>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>

#include "app/clickablelabel.h"

namespace lumivox {

namespace {

// A dynamic property: setAccessibleName would send a name change every second.
constexpr const char* kSpokenName = "lumivoxSpokenName";

// A label that opens an address: a link a reader can press, its address as the
// description. The tips line is a link only while it shows a tip.
class LinkAccessible : public QAccessibleWidget {
public:
    explicit LinkAccessible(ClickableLabel* label) : QAccessibleWidget(label, QAccessible::Link) {}

    QAccessible::Role role() const override {
        return Label()->text().isEmpty() ? QAccessible::StaticText : QAccessible::Link;
    }
    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Name && widget()->accessibleName().isEmpty())
            return Label()->text();
        return QAccessibleWidget::text(t);
    }
    QStringList actionNames() const override {
        return QStringList{pressAction()} + QAccessibleWidget::actionNames();
    }
    void doAction(const QString& name) override {
        if (name == pressAction())
            Label()->Activate();
        else
            QAccessibleWidget::doAction(name);
    }

private:
    ClickableLabel* Label() const { return static_cast<ClickableLabel*>(widget()); }
};

class SpokenLabelAccessible : public QAccessibleWidget {
public:
    explicit SpokenLabelAccessible(QLabel* label)
        : QAccessibleWidget(label, QAccessible::StaticText) {}

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Name)
            return widget()->property(kSpokenName).toString();
        return QAccessibleWidget::text(t);
    }
};

// Leaves out children hidden for good (the never shown sound button); those of a page
// not in front are only not showing, and stay.
class GroupAccessible : public QAccessibleWidget {
public:
    explicit GroupAccessible(QGroupBox* box) : QAccessibleWidget(box, QAccessible::Grouping) {}

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Name && widget()->accessibleName().isEmpty())
            return static_cast<QGroupBox*>(widget())->title();
        return QAccessibleWidget::text(t);
    }
    int childCount() const override { return static_cast<int>(Children().size()); }
    QAccessibleInterface* child(int index) const override {
        const QList<QWidget*> children = Children();
        if (index < 0 || index >= children.size())
            return nullptr;
        return QAccessible::queryAccessibleInterface(children.at(index));
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        return child ? static_cast<int>(Children().indexOf(child->object())) : -1;
    }

private:
    QList<QWidget*> Children() const {
        QList<QWidget*> kept;
        for (QWidget* w : widget()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            if (!w->isWindow() && !w->isHidden())
                kept.append(w);
        return kept;
    }
};

// Qt names a combo box by its value on Linux; here the name is the control's own, and
// the value is the selected item of its list (and the text of its edit line).
class ComboAccessible : public QAccessibleWidget {
public:
    explicit ComboAccessible(QComboBox* box) : QAccessibleWidget(box, QAccessible::ComboBox) {}

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Value ||
            (t == QAccessible::Name && Box()->accessibleName().isEmpty()))
            return Box()->currentText();
        return QAccessibleWidget::text(t);
    }
    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        s.expandable = true;
        s.editable = Box()->isEditable();
        return s;
    }
    int childCount() const override { return Box()->lineEdit() ? 2 : 1; }
    QAccessibleInterface* child(int index) const override {
        if (index == 0)
            return QAccessible::queryAccessibleInterface(Box()->view());
        if (index == 1 && Box()->lineEdit())
            return QAccessible::queryAccessibleInterface(Box()->lineEdit());
        return nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        if (!child)
            return -1;
        if (child->object() == Box()->view())
            return 0;
        return child->object() == Box()->lineEdit() && Box()->lineEdit() ? 1 : -1;
    }
    QStringList actionNames() const override {
        return QStringList{showMenuAction()} + QAccessibleWidget::actionNames();
    }
    void doAction(const QString& name) override {
        if (name == showMenuAction() || name == pressAction())
            Box()->showPopup();
        else
            QAccessibleWidget::doAction(name);
    }

private:
    QComboBox* Box() const { return static_cast<QComboBox*>(widget()); }
};

QAccessibleInterface* Interface(const QString& className, QObject* object) {
    // A plain widget as the main window: a frame named by its title, not a filler.
    if (className == QLatin1String("TForm1"))
        return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Window);
    if (className == QLatin1String("lumivox::ClickableLabel"))
        return new LinkAccessible(static_cast<ClickableLabel*>(object));
    if (className == QLatin1String("QLabel") && object->property(kSpokenName).isValid())
        return new SpokenLabelAccessible(static_cast<QLabel*>(object));
    if (className == QLatin1String("QComboBox"))
        return new ComboAccessible(static_cast<QComboBox*>(object));
    // The window's plain panels are panes, not frames (which readers take for windows).
    if (className == QLatin1String("QFrame") && object->metaObject() == &QFrame::staticMetaObject)
        return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Pane);
    if (className == QLatin1String("QGroupBox"))
        return new GroupAccessible(static_cast<QGroupBox*>(object));
    return nullptr;
}

} // namespace

void InstallAccessibility() {
    static const bool installed = [] {
        QAccessible::installFactory(Interface);
        return true;
    }();
    (void)installed;
}

void SetSpokenName(QLabel* label, const QString& name, bool announce) {
    const bool first = !label->property(kSpokenName).isValid();
    label->setProperty(kSpokenName, name);
    // Qt makes the label's interface as the label is built (reader or not), and it
    // reads the label's text: make it anew.
    if (first) {
        QAccessibleInterface* made = QAccessible::queryAccessibleInterface(label);
        if (made && made->text(QAccessible::Name) != name)
            QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(made));
    }
    if (announce) {
        QAccessibleEvent event(label, QAccessible::NameChanged);
        QAccessible::updateAccessibility(&event);
    }
}

} // namespace lumivox
