// The framework's view: a scrolling window on one document. It draws the
// document through onDraw (also for printing), takes the view's commands
// first on the command route, and is what the player link talks to.
#pragma once

#include <QAbstractScrollArea>
#include <QString>
#include <functional>

#include "platform/notifier.h"
#include "shell/commands.h"
#include "shell/view_readout.h"
#include "player/player_link.h"

class QPainter;

namespace rova {

class CDocument;

// What a view asks of the window that hosts it, so that it never reaches for
// the main frame: the main frame fills these in as it takes the view in.
// Empty ones do nothing (a view on its own, as in tests).
struct ViewHost {
    // A passing note in the status bar's message pane.
    std::function<void(const QString&)> showNote;
    // Something the commands' states or the status fields show has changed
    // outside of input (an analysis ended): refresh them soon.
    std::function<void()> stateChanged;
};

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
    // The status bar's readouts of this window, published as they change.
    Notifier<ViewReadout>& readouts() { return m_readouts; }

    void setHost(ViewHost host) { m_host = std::move(host); }
    const ViewHost& host() const { return m_host; }

    // PlayerClient: views that edit override these.
    void onKeyDown(int virtualKey) override;
    bool onViewerJointValue(int channel, int degrees) override;
    void activeViewChanged(bool active) override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    CDocument& m_document;
    Notifier<ViewReadout> m_readouts;
    ViewHost m_host;
};

}  // namespace rova
