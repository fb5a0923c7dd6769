#include "help/frmhelp.h"

#include "help/rtfreader.h"
#include "platform/twips.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QPalette>
#include <QResizeEvent>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>

namespace {
Q_LOGGING_CATEGORY(lcHelp, "ravenmark.help")
}

namespace helplayout {

Sizes forWindow(QSize windowTwips) {
    const QSize window(std::max(windowTwips.width(), MinWidth), std::max(windowTwips.height(), MinHeight));
    const QSize box(window.width() - 240, window.height() - 420);
    return {window, box, box.width() - 450};
}

} // namespace helplayout

frmHelp::frmHelp(const QString& programFolder, QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("frmHelp"));
    setWindowTitle(QStringLiteral("Ravenmark Help"));
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    setPalette(white);
    setAutoFillBackground(true);
    // An open manual never keeps the program running once the board has closed.
    setAttribute(Qt::WA_QuitOnClose, false);
    // The minimum is the snapping rule; the window manager enforces it while the operator drags.
    setMinimumSize(twips::toPixelsAtLeast(QSize(helplayout::MinWidth, helplayout::MinHeight)));

    rtbHelp = new QTextEdit(this);
    rtbHelp->setObjectName(QStringLiteral("rtbHelp"));
    rtbHelp->setReadOnly(true);
    rtbHelp->setLineWrapMode(QTextEdit::FixedPixelWidth);
    rtbHelp->move(twips::toPixels(QPoint(helplayout::BoxLeft, 0)));
    rtbHelp->setAccessibleName(QStringLiteral("Help"));

    load(programFolder);
    resize(twips::toPixels(QSize(helplayout::DesignWidth, helplayout::DesignHeight)));
}

void frmHelp::load(const QString& programFolder) {
    const QString path = QDir(programFolder).filePath(QString::fromLatin1(FileName));
    if (!QFileInfo::exists(path)) {
        rtbHelp->setPlainText(QString::fromLatin1(MissingText));
        return;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        qCWarning(lcHelp).noquote() << "Cannot read the help file" << path << ":" << file.errorString();
        rtbHelp->setPlainText(QString::fromLatin1(MissingText));
        return;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        qCWarning(lcHelp).noquote() << "Cannot read the help file" << path << ":" << file.errorString();
        rtbHelp->setPlainText(QString::fromLatin1(MissingText));
        return;
    }
    // A file that is not rich text is shown as it is, as a rich-text box would.
    if (!rtf::read(bytes, *rtbHelp->document())) {
        rtbHelp->setPlainText(QString::fromUtf8(bytes));
    }
    // The manual opens at its beginning.
    rtbHelp->moveCursor(QTextCursor::Start);
}

void frmHelp::present() {
    if (isMinimized()) {
        showNormal();
    } else {
        show();
    }
    raise();
    activateWindow();
}

void frmHelp::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (isMinimized()) {
        return;
    }
    const QSize windowTwips(int(twips::fromPixels(width())), int(twips::fromPixels(height())));
    const helplayout::Sizes sizes = helplayout::forWindow(windowTwips);
    rtbHelp->resize(twips::toPixels(sizes.box));
    rtbHelp->setLineWrapColumnOrWidth(twips::toPixels(sizes.wrapWidth));
}

HelpLauncher::HelpLauncher(QString programFolder) : m_folder(std::move(programFolder)) {}

HelpLauncher::~HelpLauncher() = default;

frmHelp* HelpLauncher::present() {
    // A closed window is made afresh, so a manual replaced meanwhile shows; only an open
    // one is brought forward as it is.
    if (!m_window || !m_window->isVisible()) {
        m_window = std::make_unique<frmHelp>(m_folder);
    }
    m_window->present();
    return m_window.get();
}
