#include "app/accessible.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QGroupBox>
#include <QLabel>

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

QAccessibleInterface* Interface(const QString& className, QObject* object) {
    if (className == QLatin1String("lumivox::ClickableLabel"))
        return new LinkAccessible(static_cast<ClickableLabel*>(object));
    if (className == QLatin1String("QLabel") && object->property(kSpokenName).isValid())
        return new SpokenLabelAccessible(static_cast<QLabel*>(object));
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
    label->setProperty(kSpokenName, name);
    if (announce) {
        QAccessibleEvent event(label, QAccessible::NameChanged);
        QAccessible::updateAccessibility(&event);
    }
}

} // namespace lumivox
