#include "res/icons.h"

#include "res/command_ids.h"

#include <QBitmap>
#include <QPainter>
#include <QPainterPath>
#include <functional>

namespace rova::res {
namespace {

constexpr int kToolbarWidth = 16;
constexpr int kToolbarHeight = 15;

QPixmap drawn(int w, int h, const std::function<void(QPainter&)>& paint, bool smooth = true) {
    QPixmap pm(w, h);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing, smooth);
    paint(p);
    return pm;
}

// A side view of the robot dog in a box of 16 x 16 units.
void paintDog(QPainter& p, const QColor& body, const QColor& eye) {
    p.setPen(Qt::NoPen);
    p.setBrush(body);
    p.drawRoundedRect(QRectF(3, 6, 9, 4.5), 2, 2);      // trunk
    p.drawRoundedRect(QRectF(10, 2.5, 5, 4.5), 1.5, 1.5); // head
    p.drawRect(QRectF(4, 10, 1.6, 4));                   // legs
    p.drawRect(QRectF(9.5, 10, 1.6, 4));
    p.drawRect(QRectF(1.2, 5, 2.5, 1.3));                // tail
    p.setBrush(eye);
    p.drawEllipse(QRectF(12.6, 3.6, 1.5, 1.5));
}

QIcon iconOf(const std::function<void(QPainter&)>& paint) {
    QIcon icon;
    for (int size : {16, 32, 48}) {
        icon.addPixmap(drawn(size, size, [&](QPainter& p) {
            p.scale(size / 16.0, size / 16.0);
            paint(p);
        }));
    }
    return icon;
}

void magnifier(QPainter& p, bool plus) {
    p.setPen(QPen(QColor(30, 30, 30), 1.4));
    p.setBrush(QColor(210, 235, 255));
    p.drawEllipse(QRectF(1.5, 1.5, 9, 9));
    p.setPen(QPen(QColor(30, 30, 30), 2.2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(9.5, 9.5), QPointF(14, 13.5));
    p.setPen(QPen(QColor(30, 30, 30), 1.3));
    p.drawLine(QPointF(3.8, 6), QPointF(8.2, 6));
    if (plus) p.drawLine(QPointF(6, 3.8), QPointF(6, 8.2));
}

void page(QPainter& p, const QRectF& r) {
    p.setPen(QPen(QColor(60, 60, 60), 1));
    p.setBrush(Qt::white);
    p.drawRect(r);
    p.setPen(QPen(QColor(90, 90, 160), 1));
    for (double y = r.top() + 2.5; y < r.bottom() - 1; y += 2.5) p.drawLine(QPointF(r.left() + 2, y), QPointF(r.right() - 2, y));
}

// A blue arrow that rises over an arc and points down at one end.
void curvedArrow(QPainter& p, bool right) {
    if (right) {
        p.translate(kToolbarWidth, 0);
        p.scale(-1, 1);
    }
    QPainterPath arc;
    arc.moveTo(12.5, 12.5);
    arc.cubicTo(14.5, 6, 10, 2.5, 6.5, 3.5);
    arc.lineTo(4.5, 4.5);
    p.setPen(QPen(QColor(30, 70, 150), 2, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawPath(arc);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(30, 70, 150));
    p.drawPolygon(QPolygonF{{1, 5.5}, {6.5, 0.5}, {7, 9}});
}

}  // namespace

QIcon programIcon() {
    return iconOf([](QPainter& p) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(40, 70, 130));
        p.drawRoundedRect(QRectF(0, 0, 16, 16), 3, 3);
        paintDog(p, QColor(235, 235, 235), QColor(60, 200, 80));
    });
}

QIcon documentIcon() {
    return iconOf([](QPainter& p) {
        page(p, QRectF(2.5, 0.5, 11, 15));
        p.setPen(QPen(QColor(200, 60, 60), 1));
        p.drawLine(QPointF(5, 3), QPointF(5, 14));
    });
}

QIcon playerIcon() {
    return iconOf([](QPainter& p) {
        p.setPen(QPen(QColor(20, 20, 20), 1));
        p.setBrush(QColor(70, 80, 95));
        p.drawRoundedRect(QRectF(0.5, 0.5, 15, 15), 2, 2);
        paintDog(p, QColor(250, 210, 80), QColor(220, 40, 40));
    });
}

QPixmap toolbarImage(int id) {
    auto image = [](const std::function<void(QPainter&)>& f) { return drawn(kToolbarWidth, kToolbarHeight, f); };
    switch (id) {
    case ID_EDIT_UNDO_ACTION:  // Undo: an arrow curving back to the left
        return image([](QPainter& p) { curvedArrow(p, false); });
    case ID_EDIT_REDO_ACTION:  // Redo: the same arrow curving on to the right
        return image([](QPainter& p) { curvedArrow(p, true); });
    case ID_FILE_NEW_FROM_SOUND:  // New Performance from Sound: a new page with a note on it
        return image([](QPainter& p) {
            p.setPen(QPen(QColor(60, 60, 60), 1));
            p.setBrush(Qt::white);
            p.drawPolygon(QPolygonF{{1.5, 0.5}, {9.5, 0.5}, {12.5, 3.5}, {12.5, 14.5}, {1.5, 14.5}});
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(30, 70, 150));
            p.drawEllipse(QRectF(3, 9.5, 4, 3));
            p.drawRect(QRectF(6, 3, 1.2, 8));
            p.drawPolygon(QPolygonF{{7.2, 3}, {10.5, 4.5}, {10.5, 6.5}, {7.2, 5}});
            p.setBrush(QColor(240, 200, 40));  // the star of something new
            p.drawPolygon(QPolygonF{{13, 9}, {14, 11.5}, {16, 12}, {14, 12.5}, {13, 15}, {12, 12.5}, {10, 12}, {12, 11.5}});
        });
    case ID_FILE_OPEN:  // Open: a yellow folder
        return image([](QPainter& p) {
            p.setPen(QPen(QColor(120, 90, 20), 1));
            p.setBrush(QColor(240, 200, 80));
            p.drawRect(QRectF(1.5, 4.5, 12, 8));
            p.drawRect(QRectF(1.5, 2.5, 5, 2));
            p.setBrush(QColor(250, 225, 130));
            QPolygonF flap{{3.5, 7.5}, {15, 7.5}, {13.5, 12.5}, {1.5, 12.5}};
            p.drawPolygon(flap);
        });
    case ID_FILE_SAVE:  // Save: a floppy disk
        return image([](QPainter& p) {
            p.setPen(QPen(QColor(20, 20, 60), 1));
            p.setBrush(QColor(60, 80, 160));
            p.drawRect(QRectF(1.5, 1.5, 12, 12));
            p.setBrush(Qt::white);
            p.drawRect(QRectF(4, 1.5, 7, 4.5));
            p.setBrush(QColor(200, 200, 200));
            p.drawRect(QRectF(4, 9, 7, 4.5));
        });
    case ID_VIEW_ZOOM_IN:  // Zoom In
        return image([](QPainter& p) { magnifier(p, true); });
    case ID_VIEW_ZOOM_OUT:  // Zoom Out
        return image([](QPainter& p) { magnifier(p, false); });
    case ID_EDIT_GENERATE_EYES:  // Generate Eyes: two eyes, one green and one red
        return image([](QPainter& p) {
            p.setPen(QPen(Qt::black, 1));
            p.setBrush(QColor(60, 200, 80));
            p.drawEllipse(QRectF(0.5, 4, 6.5, 6.5));
            p.setBrush(QColor(220, 50, 50));
            p.drawEllipse(QRectF(8.5, 4, 6.5, 6.5));
        });
    case ID_EDIT_GENERATE_MOUTH:  // Generate Mouth: an open mouth
        return image([](QPainter& p) {
            p.setPen(QPen(QColor(90, 20, 20), 1.2));
            p.setBrush(QColor(200, 60, 70));
            QPainterPath mouth;
            mouth.moveTo(1.5, 5);
            mouth.quadTo(8, 3, 14.5, 5);
            mouth.quadTo(8, 15, 1.5, 5);
            p.drawPath(mouth);
            p.setBrush(Qt::white);
            p.drawRect(QRectF(5, 4.4, 2, 1.6));
            p.drawRect(QRectF(9, 4.4, 2, 1.6));
        });
    case ID_EDIT_COPY:  // Copy: two pages
        return image([](QPainter& p) {
            page(p, QRectF(1.5, 0.5, 8, 10));
            page(p, QRectF(6.5, 4.5, 8, 10));
        });
    case ID_EDIT_PASTE_SPECIAL:  // Paste Special: a clipboard with a page
        return image([](QPainter& p) {
            p.setPen(QPen(QColor(80, 50, 20), 1));
            p.setBrush(QColor(180, 130, 70));
            p.drawRect(QRectF(1.5, 1.5, 10, 12.5));
            p.setBrush(QColor(160, 160, 160));
            p.drawRect(QRectF(4, 0.5, 5, 2.5));
            page(p, QRectF(6.5, 5.5, 8, 9));
        });
    case ID_EDIT_APPLY_MACRO:  // Apply Macro: a wand with a star
        return image([](QPainter& p) {
            p.setPen(QPen(QColor(60, 40, 20), 2, Qt::SolidLine, Qt::RoundCap));
            p.drawLine(QPointF(2, 13), QPointF(10, 5));
            p.setPen(QPen(QColor(200, 150, 0), 1));
            p.setBrush(QColor(255, 220, 40));
            QPolygonF star;
            for (int i = 0; i < 10; ++i) {
                const double r = (i % 2) ? 1.6 : 4.0;
                const double a = -M_PI / 2 + i * M_PI / 5;
                star << QPointF(11.5 + r * std::cos(a), 4.5 + r * std::sin(a));
            }
            p.drawPolygon(star);
        });
    case ID_WINDOW_SHOW_PLAYER:  // Show Player: the dog in a window
        return image([](QPainter& p) {
            p.setPen(QPen(QColor(20, 20, 20), 1));
            p.setBrush(QColor(200, 215, 235));
            p.drawRect(QRectF(0.5, 0.5, 15, 14));
            p.translate(1, 0.5);
            p.scale(0.85, 0.85);
            paintDog(p, QColor(60, 60, 60), QColor(220, 40, 40));
        });
    case ID_VIEW_PLAY:  // Play: a green triangle
        return image([](QPainter& p) {
            p.setPen(QPen(QColor(20, 90, 20), 1));
            p.setBrush(QColor(60, 180, 60));
            p.drawPolygon(QPolygonF{{4, 2}, {13, 7.5}, {4, 13}});
        });
    case ID_TOOLS_CHECK_PERFORMANCE:  // Check Performance: a warning triangle over a list
        return image([](QPainter& p) {
            p.setPen(QPen(QColor(90, 90, 90), 1));
            for (double y : {3.5, 6.5, 9.5}) p.drawLine(QPointF(1, y), QPointF(7, y));
            p.setPen(QPen(QColor(120, 80, 0), 1));
            p.setBrush(QColor(250, 200, 40));
            p.drawPolygon(QPolygonF{{11, 2}, {15.5, 14}, {6.5, 14}});
            p.setPen(QPen(QColor(30, 30, 30), 1.4));
            p.drawLine(QPointF(11, 6), QPointF(11, 10));
            p.drawPoint(QPointF(11, 12.3));
        });
    default:
        return {};
    }
}

QCursor dragCursor() {
    // Monochrome: the bitmap holds the black pixels, the mask every pixel drawn.
    auto shape = [](bool mask) {
        QBitmap bm(32, 32);
        bm.fill(Qt::color0);
        QPainter p(&bm);
        p.setRenderHint(QPainter::Antialiasing, false);
        const QPolygon arrow{{1, 1}, {1, 17}, {5, 13}, {8, 20}, {10, 19}, {7, 12}, {12, 12}};
        p.setPen(Qt::color1);
        p.setBrush(mask ? Qt::color1 : Qt::color0);
        p.drawPolygon(arrow);
        // The small dog at the lower right.
        p.setBrush(Qt::color1);
        p.setPen(Qt::NoPen);
        p.drawRect(18, 24, 9, 4);      // trunk
        p.drawRect(26, 20, 5, 4);      // head
        p.drawRect(19, 28, 2, 3);      // legs
        p.drawRect(25, 28, 2, 3);
        p.drawRect(16, 23, 2, 1);      // tail
        return bm;
    };
    return QCursor(shape(false), shape(true), 1, 1);
}

}  // namespace rova::res
