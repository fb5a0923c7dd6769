#include "options/optionsenvironment.h"

#include "platform/soundclip.h"

#include <QColorDialog>
#include <QFileDialog>
#include <QMessageBox>

Q_LOGGING_CATEGORY(lcOptions, "ravenmark.options")

std::optional<QColor> QtOptionsChooser::chooseColor(QWidget* parent, const QColor& initial) {
    m_lastInitial = initial;
    if (!m_nextColors.empty()) {
        const std::optional<QColor> answer = m_nextColors.front();
        m_nextColors.pop_front();
        return answer;
    }
    const QColor chosen = QColorDialog::getColor(initial, parent);
    return chosen.isValid() ? std::optional<QColor>(chosen) : std::nullopt;
}

QString QtOptionsChooser::chooseFile(QWidget* parent, const QString& filter, const QString& startFile) {
    m_lastFilter = filter;
    m_lastStartFile = startFile;
    if (!m_nextFiles.empty()) {
        const QString answer = m_nextFiles.front();
        m_nextFiles.pop_front();
        return answer;
    }
    return QFileDialog::getOpenFileName(parent, QString(), startFile, filter);
}

bool QtOptionsMessages::askYesNo(QWidget* parent, const QString& title, const QString& text) {
    m_shown.append({title, text, true});
    if (!m_nextAnswers.empty()) {
        const bool yes = m_nextAnswers.front();
        m_nextAnswers.pop_front();
        return yes;
    }
    QMessageBox box(QMessageBox::Question, title, text, QMessageBox::Yes | QMessageBox::No, parent);
    box.setDefaultButton(QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes;
}

void QtOptionsMessages::warn(QWidget* parent, const QString& title, const QString& text) {
    m_shown.append({title, text, false});
    if (m_silent) {
        return;
    }
    QMessageBox::warning(parent, title, text);
}

namespace options {

bool isPlayableSound(const QString& path, QString* why) {
    return soundclip::decodeFile(path, why).has_value();
}

} // namespace options
