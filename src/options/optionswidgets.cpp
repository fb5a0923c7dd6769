#include "options/optionswidgets.h"

#include "platform/rgbcolor.h"
#include "platform/twips.h"

#include <QAccessibleWidget>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

namespace options::layout {

namespace {
// Qt's pages start below the tabs, so this much comes off every top on a page.
constexpr int PageHeader = 420;
} // namespace

QRect onPage(QRect tw) {
    return twips::toPixels(tw.x(), tw.y() - PageHeader, tw.width(), tw.height());
}

QRect inside(QRect tw) {
    return twips::toPixels(tw.x(), tw.y(), tw.width(), tw.height());
}

QFont arialFont(qreal points) {
    QFont font;
    font.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans")});
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(points);
    return font;
}

QFont dialogFont() {
    QFont font = arialFont(8.25);
    font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Microsoft Sans Serif"),
                      QStringLiteral("Liberation Sans"), QStringLiteral("Arial")});
    return font;
}

void setBackground(QWidget* widget, const QColor& color) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, color);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

QGroupBox* addGroup(QWidget* page, const QString& title, QRect twipsOnPage) {
    auto* group = new QGroupBox(title, page);
    group->setGeometry(onPage(twipsOnPage));
    return group;
}

QLabel* addCaption(QWidget* parent, const QString& text, QRect tw) {
    auto* label = new QLabel(text, parent);
    label->setGeometry(inside(tw));
    return label;
}

QLabel* addValueLabel(QWidget* parent, const char* name, QRect tw) {
    auto* label = new QLabel(parent);
    label->setObjectName(QLatin1String(name));
    label->setGeometry(inside(tw));
    label->setFrameShape(QFrame::Box);
    label->setAlignment(Qt::AlignCenter);
    setBackground(label, Qt::white);
    return label;
}

QPushButton* addButton(QWidget* parent, const char* name, const QString& text, QRect pixels) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(QLatin1String(name));
    button->setGeometry(pixels);
    return button;
}

QRadioButton* addOption(QWidget* parent, const char* name, const QString& text, QRect tw) {
    auto* option = new QRadioButton(text, parent);
    option->setObjectName(QLatin1String(name));
    option->setGeometry(inside(tw));
    return option;
}

} // namespace options::layout

ColorSwatch::ColorSwatch(QWidget* parent) : QFrame(parent) {
    setFrameShape(QFrame::Box);
    setColor(0);
}

void ColorSwatch::setColor(std::int32_t color) {
    m_color = color;
    options::layout::setBackground(this, rgbcolor::toQColor(color));
}

namespace {

// Tells assistive tools the value the operator sees, not the negated one inside.
class RaisingScrollBarAccessible : public QAccessibleWidget, public QAccessibleValueInterface {
public:
    explicit RaisingScrollBarAccessible(RaisingScrollBar* bar)
        : QAccessibleWidget(bar, QAccessible::ScrollBar) {}

    void* interface_cast(QAccessible::InterfaceType type) override {
        return type == QAccessible::ValueInterface ? static_cast<QAccessibleValueInterface*>(this)
                                                   : QAccessibleWidget::interface_cast(type);
    }
    QString text(QAccessible::Text t) const override {
        return t == QAccessible::Value ? QString::number(bar()->shownValue()) : QAccessibleWidget::text(t);
    }
    QVariant currentValue() const override { return bar()->shownValue(); }
    void setCurrentValue(const QVariant& value) override { bar()->setShownValue(value.toInt()); }
    QVariant maximumValue() const override { return -bar()->minimum(); }
    QVariant minimumValue() const override { return -bar()->maximum(); }
    QVariant minimumStepSize() const override { return 1; }

private:
    RaisingScrollBar* bar() const { return static_cast<RaisingScrollBar*>(widget()); }
};

QAccessibleInterface* raisingScrollBarAccessible(const QString& className, QObject* object) {
    if (className == QLatin1String("RaisingScrollBar")) {
        return new RaisingScrollBarAccessible(static_cast<RaisingScrollBar*>(object));
    }
    return nullptr;
}

} // namespace

RaisingScrollBar::RaisingScrollBar(int low, int high, QWidget* parent) : QScrollBar(Qt::Vertical, parent) {
    static const bool factoryInstalled = [] {
        QAccessible::installFactory(raisingScrollBarAccessible);
        return true;
    }();
    Q_UNUSED(factoryInstalled);
    setRange(-high, -low);
    setPageStep(1);
    connect(this, &QScrollBar::valueChanged, this, [this](int value) {
        emit shownValueChanged(-value);
        QAccessibleValueChangeEvent event(this, -value);
        QAccessible::updateAccessibility(&event);
    });
}
