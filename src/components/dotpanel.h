#pragma once

#include "components/ledreadout.h"

// The digit-style preview of the options dialog: one digit place without paddings,
// showing the caption (8 unless told otherwise) in the chosen LedType.
class DotPanel : public LedReadout {
    Q_OBJECT
    Q_PROPERTY(int Caption READ caption WRITE setCaption NOTIFY captionChanged)

public:
    explicit DotPanel(QWidget* parent = nullptr);

    int caption() const { return m_caption; }
    void setCaption(int value);

signals:
    void captionChanged(int caption);

protected:
    QString composeText() const override;
    std::vector<led::SlotKind> places() const override;

private:
    int m_caption = 8;
};
