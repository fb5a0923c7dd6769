#include "scoreboard/frmscoreboard.h"

frmScoreBoard::frmScoreBoard(QWidget* parent) : QWidget(parent) { setObjectName("frmScoreBoard"); }
