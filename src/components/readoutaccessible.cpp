#include "components/readoutaccessible.h"

#include "components/clockpanel.h"
#include "components/digitpanel.h"
#include "components/dotpanel.h"

#include <QAccessibleWidget>

namespace {

// Name and description as the board sets them: accessibleName "Home score", objectName "digHome".
class ReadoutAccessible : public QAccessibleWidget {
public:
    ReadoutAccessible(QWidget* widget, QAccessible::Role role) : QAccessibleWidget(widget, role) {}

    QString text(QAccessible::Text t) const override {
        switch (t) {
        case QAccessible::Description:
            return widget()->accessibleDescription().isEmpty() ? widget()->objectName()
                                                               : widget()->accessibleDescription();
        case QAccessible::Value:
            return static_cast<const LedReadout*>(widget())->displayText().trimmed();
        default:
            return QAccessibleWidget::text(t);
        }
    }
};

class DigitPanelAccessible : public ReadoutAccessible, public QAccessibleValueInterface {
public:
    explicit DigitPanelAccessible(QWidget* widget) : ReadoutAccessible(widget, QAccessible::Indicator) {}

    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::ValueInterface) {
            return static_cast<QAccessibleValueInterface*>(this);
        }
        return ReadoutAccessible::interface_cast(type);
    }

    // -1 stands for a cleared read-out, never 0.
    QVariant currentValue() const override { return panel()->caption(); }
    // The value belongs to the board; assistive tools only read it.
    void setCurrentValue(const QVariant&) override {}
    QVariant maximumValue() const override { return panel()->max(); }
    QVariant minimumValue() const override { return DigitPanel::Cleared; }
    QVariant minimumStepSize() const override { return 1; }

private:
    const DigitPanel* panel() const { return static_cast<const DigitPanel*>(widget()); }
};

// The shown text, read-only: no caret, no selection.
class ClockPanelAccessible : public ReadoutAccessible, public QAccessibleTextInterface {
public:
    explicit ClockPanelAccessible(QWidget* widget) : ReadoutAccessible(widget, QAccessible::StaticText) {}

    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::TextInterface) {
            return static_cast<QAccessibleTextInterface*>(this);
        }
        return ReadoutAccessible::interface_cast(type);
    }

    void selection(int, int* startOffset, int* endOffset) const override { *startOffset = *endOffset = 0; }
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    int cursorPosition() const override { return 0; }
    void setCursorPosition(int) override {}
    QString text(int startOffset, int endOffset) const override {
        return shown().mid(startOffset, endOffset - startOffset);
    }
    int characterCount() const override { return int(shown().size()); }
    QRect characterRect(int) const override { return {}; }
    int offsetAtPoint(const QPoint&) const override { return -1; }
    void scrollToSubstring(int, int) override {}
    QString attributes(int offset, int* startOffset, int* endOffset) const override {
        *startOffset = *endOffset = offset;
        return {};
    }

    using ReadoutAccessible::text;

private:
    QString shown() const { return text(QAccessible::Value); }
};

ReadoutAnnouncementWatcher& announcementWatcher() {
    static ReadoutAnnouncementWatcher watcher;
    return watcher;
}

QAccessibleInterface* readoutFactory(const QString& className, QObject* object) {
    if (!object || !object->isWidgetType()) {
        return nullptr;
    }
    auto* widget = static_cast<QWidget*>(object);
    if (className == QLatin1String(DigitPanel::staticMetaObject.className())) {
        return new DigitPanelAccessible(widget);
    }
    if (className == QLatin1String(ClockPanel::staticMetaObject.className())) {
        return new ClockPanelAccessible(widget);
    }
    if (className == QLatin1String(DotPanel::staticMetaObject.className())) {
        return new ReadoutAccessible(widget, QAccessible::Graphic);
    }
    return nullptr;
}

} // namespace

void installReadoutAccessibility() {
    static bool installed = false;
    if (!installed) {
        QAccessible::installFactory(readoutFactory);
        installed = true;
    }
}

void announceReadoutChange(QAccessibleEvent& event) {
    if (const auto& watcher = announcementWatcher()) {
        watcher(event);
    }
    QAccessible::updateAccessibility(&event);
}

void watchReadoutAnnouncements(ReadoutAnnouncementWatcher watcher) {
    announcementWatcher() = std::move(watcher);
}
