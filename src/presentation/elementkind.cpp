#include "presentation/elementkind.h"

#include "components/boardshape.h"
#include "components/clockpanel.h"
#include "components/digitpanel.h"
#include "components/dotpanel.h"
#include "components/imagebox.h"

#include <QLabel>

ElementKind kindOf(const QWidget& element) {
    if (qobject_cast<const DigitPanel*>(&element) != nullptr) {
        return ElementKind::DigitPanel;
    }
    if (qobject_cast<const ClockPanel*>(&element) != nullptr) {
        return ElementKind::ClockPanel;
    }
    if (qobject_cast<const DotPanel*>(&element) != nullptr) {
        return ElementKind::DotPanel;
    }
    if (qobject_cast<const BoardShape*>(&element) != nullptr) {
        return ElementKind::Shape;
    }
    const QString name = element.objectName();
    if (qobject_cast<const ImageBox*>(&element) != nullptr ||
        (qobject_cast<const QLabel*>(&element) != nullptr && name.startsWith(QLatin1String("img")))) {
        return ElementKind::Image;
    }
    if (qobject_cast<const QLabel*>(&element) != nullptr) {
        return ElementKind::Label;
    }
    if (element.metaObject() == &QWidget::staticMetaObject && name.startsWith(QLatin1String("pic"))) {
        return ElementKind::PictureBox;
    }
    return ElementKind::Other;
}
