// The framework's view: a scrolling window on one document. It draws the
// document through onDraw (also for printing), takes the view's commands
// first on the command route, and is what the player link talks to.
#pragma once

#include <QAbstractScrollArea>

#include "shell/commands.h"
#include "player/player_link.h"

class QPainter;

namespace rova {

class CDocument;

class CView : public QAbstractScrollArea, public PlayerClient {
public:
    explicit CView(CDocument& document, QWidget* parent = nullptr);
    ~CView() override;

    CDocument& document() const { return m_document; }

    // Called once the view is in its frame, and again for every hint-1 update.
    virtual void onInitialUpdate() {}
    // Hint 0 repaints; hint 1 rebuilds the view from the document.
    virtual void onUpdate(int hint);
    // The view's drawing in document pixels; the screen, printing and print
    // preview all use it.
    virtual void onDraw(QPainter& painter) = 0;
    // The extent of that drawing, for printing it on one page.
    virtual QSize drawingSize() const = 0;
    // The tempo the status bar shows for this window ("125 BPM"), "" for none.
    virtual QString tempoText() const { return {}; }

    // PlayerClient: views that edit override these.
    void onKeyDown(int virtualKey) override;
    bool onViewerJointValue(int channel, int degrees) override;
    void activeViewChanged(bool active) override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    CDocument& m_document;
};

}  // namespace rova
