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

// The real board with the presentation steps run the way its load and resize handlers
// run them: the layout recorded first, and on every resize the elements rescaled, the
// marker hidden and the captions, pictures and digit style renewed. The board's picture
// labels are replaced by picture elements.
class PresentedBoard : public QObject, public BoardFixture {
public:
    modStretch::BoardLayout layout;
    ImageBox* imgHomePic = nullptr;
    ImageBox* imgVisitorPic = nullptr;
    ImageBox* imgBoardPic = nullptr;

    PresentedBoard() {
        installImageBoxAccessibility();
        imgHomePic = replaceImage("imgHomePic", "picHomePicContainer", "Home team picture");
        imgVisitorPic = replaceImage("imgVisitorPic", "picVisitorPicContainer", "Visitor team picture");
        imgBoardPic = replaceImage("imgBoardPic", "picBoardPicContainer", "Board picture");
        layout.RecordLayout(*board);
        labels();
        colours();
        board->installEventFilter(this);
    }

    // UpdateLabels with the picture and style steps.
    void labels() {
        board->UpdateLabels();
        modGrabKeys::FitPicture(*imgHomePic, *widget("picHomePicContainer"), Settings.HomePic);
        modGrabKeys::FitPicture(*imgVisitorPic, *widget("picVisitorPicContainer"), Settings.VisitorPic);
        modGrabKeys::FitPicture(*imgBoardPic, *widget("picBoardPicContainer"), Settings.BoardPic);
        modStretch::SetLedType(*board, Settings.LEDType);
    }

    void colours() {
        modColor::UpdateFormColors(*board, Settings);
        board->UpdatePoss();
        board->UpdateBonus();
    }

    // Resizes the window through the window system and waits for its resize event.
    bool resizeTo(int width, int height) {
        board->resize(width, height);
        return QTest::qWaitFor([&] { return board->size() == QSize(width, height); }, 5000);
    }

    QImage shot(QWidget* w = nullptr) const {
        QWidget* target = w ? w : board.get();
        return target->grab().toImage().convertToFormat(QImage::Format_RGB32);
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == board.get() && event->type() == QEvent::Resize) {
            layout.StretchLayout(*board);
            board->ObjectSelected(nullptr);
            labels();
        }
        return false;
    }

private:
    ImageBox* replaceImage(const char* name, const char* frame, const char* accessibleName) {
        delete board->findChild<QLabel*>(QLatin1String(name));
        auto* image = new ImageBox(widget(frame));
        image->setObjectName(QLatin1String(name));
        image->setAccessibleName(QLatin1String(accessibleName));
        image->setGeometry(widget(frame)->rect());
        image->show();
        return image;
    }
};
