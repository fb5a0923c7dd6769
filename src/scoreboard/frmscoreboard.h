#pragma once

#include <QWidget>

// The scoreboard window (being built).
class frmScoreBoard : public QWidget {
    Q_OBJECT
public:
    explicit frmScoreBoard(QWidget* parent = nullptr);
};
