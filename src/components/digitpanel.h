#pragma once

#include "components/ledreadout.h"

#include <QStringView>

// A number read-out: a 16-bit whole number in LED digits. -1 is the cleared state and
// shows no number. Max decides the digit places (9 one, 99 two, 19 a half place for the
// leading 1 and one digit); a value that does not fit is squeezed in, never cut.
class DigitPanel : public PaddedLedReadout {
    Q_OBJECT
    Q_PROPERTY(int Caption READ caption WRITE setCaption NOTIFY captionChanged)
    Q_PROPERTY(int Max READ max WRITE setMax NOTIFY lookChanged)

public:
    static constexpr int Cleared = -1;

    explicit DigitPanel(QWidget* parent = nullptr);

    int caption() const { return m_caption; }
    // Values outside the 16-bit range are ignored.
    void setCaption(int value);
    // The caption as text; always agrees with caption().
    QString captionText() const { return QString::number(m_caption); }
    // Takes a whole number in the 16-bit range; anything else is refused and changes nothing.
    bool setCaptionText(QStringView text);

    int max() const { return m_max; }
    void setMax(int max);

signals:
    void captionChanged(int caption);

protected:
    QString composeText() const override;
    std::vector<led::SlotKind> places() const override;
    void shownTextChanged(const QString& oldText) override;

private:
    int m_caption = 0;
    int m_max = 9;
};
