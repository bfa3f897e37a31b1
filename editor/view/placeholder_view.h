// A plain view of a performance: its file name and a summary of its tracks.
// Performance windows show it until the track view takes its place.
#pragma once

#include <QStringList>

#include "app/view.h"

namespace rova {

class CPlaceholderView : public CView {
public:
    explicit CPlaceholderView(CDocument& document, QWidget* parent = nullptr);

    void onInitialUpdate() override;
    void onDraw(QPainter& painter) override;
    QSize drawingSize() const override;

    const QStringList& lines() const { return m_lines; }

private:
    QStringList m_lines;
};

}  // namespace rova
