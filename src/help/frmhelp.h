#pragma once

#include <QSize>
#include <QString>
#include <QWidget>
#include <memory>

class QTextEdit;

// Sizing rules of the help window, in twips, kept apart from the window so they can be checked alone.
namespace helplayout {

inline constexpr int MinWidth = 2700;
inline constexpr int MinHeight = 1700;
inline constexpr int DesignWidth = 11055;
inline constexpr int DesignHeight = 9270;
// The text box sits this far from the window's left edge, at the top.
inline constexpr int BoxLeft = 120;

struct Sizes {
    QSize window;  // after snapping to the minimum
    QSize box;     // the rich-text box
    int wrapWidth; // where its lines wrap
};

// The box follows the window: 240 narrower, 420 shorter, wrapping 450 inside its own width.
Sizes forWindow(QSize windowTwips);

} // namespace helplayout

// The help viewer: one resizable window showing the manual beside the program, or a message
// when the manual is missing. It never blocks; asked again, the same window comes forward.
class frmHelp : public QWidget {
    Q_OBJECT
public:
    static constexpr const char* FileName = "ravenmarkhelpfile.rtf";
    static constexpr const char* MissingText =
        "Help file has been moved from its normal location.  Please reinstall the program.";

    // `programFolder` is where the manual is looked for: the program's own folder.
    explicit frmHelp(const QString& programFolder, QWidget* parent = nullptr);

    // Shows the window without blocking, restoring it if minimised and bringing it forward.
    void present();

    QTextEdit* textBox() const { return rtbHelp; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void load(const QString& programFolder);

    QTextEdit* rtbHelp = nullptr;
};

// The program's one help window, created on a request (F1 on the board, Help on the splash) when
// none is open, and brought forward while it is. Whoever owns this owns the window.
class HelpLauncher {
public:
    explicit HelpLauncher(QString programFolder);
    ~HelpLauncher();
    HelpLauncher(const HelpLauncher&) = delete;
    HelpLauncher& operator=(const HelpLauncher&) = delete;

    // Creates the window (reading the manual) unless one is open, then shows it without blocking.
    frmHelp* present();
    // The last window made, or null before the first request.
    frmHelp* window() const { return m_window.get(); }

private:
    QString m_folder;
    std::unique_ptr<frmHelp> m_window;
};
