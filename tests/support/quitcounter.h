#pragma once

#include <QEvent>
#include <QObject>

// Counts requests to end the program and keeps them from reaching the application, while
// enabled and installed as the application's event filter.
class QuitCounter : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override;

    int count = 0;
    bool enabled = true;
};
