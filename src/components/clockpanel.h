#pragma once

#include "components/ledreadout.h"

// The game-clock read-out: four digit places around a separator. TimeFormat "60,1"
// shows the caption as M:SS (or H:MM for a time of day) with the colon lit; "1,.1"
// shows seconds and tenths with the decimal point lit. Any other format is read as
// "60,1". Both round up, so a clock shows 0 only when its time is really up.
//
// FrameColor is a one-pixel line just inside the read-out's edge; an invalid colour,
// the default, draws none.
class ClockPanel : public PaddedLedReadout {
    Q_OBJECT
    Q_PROPERTY(float Caption READ caption WRITE setCaption NOTIFY captionChanged)
    Q_PROPERTY(QString TimeFormat READ timeFormat WRITE setTimeFormat NOTIFY timeFormatChanged)
    Q_PROPERTY(QColor FrameColor READ frameColor WRITE setFrameColor NOTIFY lookChanged)
    Q_PROPERTY(int PaddingD READ paddingD WRITE setPaddingD NOTIFY lookChanged)

public:
    static inline const QString MinutesFormat = QStringLiteral("60,1");
    static inline const QString TenthsFormat = QStringLiteral("1,.1");

    explicit ClockPanel(QWidget* parent = nullptr);

    float caption() const { return m_caption; }
    void setCaption(float value);
    QString timeFormat() const { return m_timeFormat; }
    void setTimeFormat(const QString& format);
    QColor frameColor() const { return frameLine(); }
    void setFrameColor(const QColor& color);

    // The text the read-out shows for a caption in a format: "10:00", " 1:02", "59.9".
    // Empty for a caption that is no number.
    static QString formatText(float caption, const QString& timeFormat);

    using LedReadout::paddingD;
    using LedReadout::setPaddingD;

signals:
    void captionChanged(float caption);
    void timeFormatChanged(const QString& format);

protected:
    QString composeText() const override;
    std::vector<led::SlotKind> places() const override;
    void shownTextChanged(const QString& oldText) override;

private:
    float m_caption = 600;
    QString m_timeFormat = MinutesFormat;
};
