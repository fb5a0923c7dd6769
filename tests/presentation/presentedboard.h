#pragma once

#include "../scoreboard/boardfixture.h"
#include "components/imagebox.h"
#include "components/ledreadout.h"
#include "platform/twips.h"
#include "presentation/colors.h"
#include "presentation/fitpicture.h"
#include "presentation/stretch.h"

#include <QEvent>
#include <QImage>
#include <QPixmap>
#include <QTest>

// The real board as its load and resize handlers present it: the layout recorded first,
// and on every resize the elements rescaled, the mark hidden and the captions, pictures and
// digit style renewed.
class PresentedBoard : public BoardFixture {
public:
    const modStretch::BoardLayout& layout;
    ImageBox* imgHomePic = nullptr;
    ImageBox* imgVisitorPic = nullptr;
    ImageBox* imgBoardPic = nullptr;

    PresentedBoard()
        : layout(board->layout()), imgHomePic(board->findChild<ImageBox*>(QStringLiteral("imgHomePic"))),
          imgVisitorPic(board->findChild<ImageBox*>(QStringLiteral("imgVisitorPic"))),
          imgBoardPic(board->findChild<ImageBox*>(QStringLiteral("imgBoardPic"))) {}

    // UpdateLabels with the picture and style steps.
    void labels() { board->UpdateLabels(); }
    void colours() { board->UpdateFormColors(); }

    // Resizes the window through the window system and waits for its resize event.
    bool resizeTo(int width, int height) {
        board->resize(width, height);
        return QTest::qWaitFor([&] { return board->size() == QSize(width, height); }, 5000);
    }

    QImage shot(QWidget* w = nullptr) const {
        QWidget* target = w ? w : board.get();
        return target->grab().toImage().convertToFormat(QImage::Format_RGB32);
    }
};
