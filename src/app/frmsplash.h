#pragma once

#include <QStringList>
#include <QWidget>
#include <initializer_list>

class QFrame;
class QLabel;
class QPushButton;

// Placement and start-up rules of the splash, kept apart from the window so they can be
// checked on their own. Positions are in twips, computed in single precision.
namespace splash {

inline constexpr int Width = 6240;
inline constexpr int Height = 3240;
// The top edge centres 5880 twips rather than the window's own 3240, which puts the splash
// 1320 twips above the middle of the screen.
inline constexpr int CentredHeight = 5880;

float topEdge(float screenHeight);
float leftEdge(float screenWidth, float windowWidth);
// The command line (without the program name) asks to go straight to the board only when
// it is exactly the one argument "bypass".
bool isBypass(const QStringList& arguments);
// "Version 1.0.6".
QString versionCaption(int major, int minor, int patch);

} // namespace splash

// The window the program opens with: it places itself and shows the version, then waits
// for a click that goes on to the scoreboard (GoScore). Which windows follow is the start-up's
// business: the splash only says what the operator asked for. It deletes itself when it closes.
class frmSplash : public QWidget {
    Q_OBJECT
public:
    explicit frmSplash(QWidget* parent = nullptr);

    // Closes the splash and asks for the scoreboard.
    void GoScore();

signals:
    void goScoreRequested();
    void helpRequested();
    void optionsRequested();
    // Closed some other way than by GoScore (Alt+F4, the window manager).
    void closedWithoutGoingOn();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void load();
    QLabel* addLabel(const char* name, const QString& text, QRect designTwips,
                     Qt::Alignment alignment = Qt::AlignLeft);
    void goOnWhenClicked(std::initializer_list<QWidget*> targets);

    QFrame* frameSplash = nullptr;
    QLabel* lblName = nullptr;
    QLabel* lblMadeBy = nullptr;
    QLabel* lblVersion = nullptr;
    QLabel* lblClick = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QPushButton* cmdHelp = nullptr;
    QPushButton* cmdOptions = nullptr;
    QLabel* picLogo = nullptr;

    QList<QObject*> m_clickTargets;
    // Set by GoScore: the close that follows hands over to the board instead of ending the program.
    bool m_goingOn = false;
};
