#include "player/stand_in_viewer.h"

#include <QImage>
#include <QPainter>
#include <array>

#include "player/window_messages.h"

namespace rova {
namespace {

constexpr int kViewerJoints = 24;

struct Context {
    ViewerHost* window = nullptr;
    const void* cursor = nullptr;
    bool multi = false;
    std::array<int, kViewerJoints> values{};
    std::array<bool, kViewerJoints> selected{};
};

Context* ctx(void* context) { return static_cast<Context*>(context); }

const char* const kJointNames[kViewerJoints] = {
    "HeadY", "HeadX", "HeadZ", "Mouth", "RFLegY", "RFLegX", "RFPawY", "LFLegY",
    "LFLegX", "LFPawY", "RRLegY", "RRLegX", "RRPawY", "LRLegY", "LRLegX", "LRPawY",
    "TailY", "TailX", "RFPaw", "LFPaw", "RRPaw", "LRPaw", "Ear 1", "Ear 2",
};

void render(Context& c) {
    int w = 0, h = 0;
    c.window->clientSize(w, h);
    if (w <= 0 || h <= 0) return;
    QImage image(w, h, QImage::Format_RGBA8888);
    image.fill(QColor(32, 40, 56));
    QPainter p(&image);
    QFont font = p.font();
    font.setPixelSize(11);
    p.setFont(font);
    p.setPen(QColor(150, 160, 180));
    p.drawText(QRect(0, 4, w, 16), Qt::AlignCenter, "3D viewer not connected");
    const int rowHeight = 13;
    for (int j = 0; j < 18; ++j) {
        const int col = j / 9, row = j % 9;
        const QRect cell(8 + col * (w / 2), 26 + row * rowHeight, w / 2 - 16, rowHeight);
        p.setPen(c.selected[static_cast<std::size_t>(j)] ? QColor(255, 255, 160) : QColor(210, 215, 225));
        p.drawText(cell, Qt::AlignLeft | Qt::AlignVCenter, kJointNames[j]);
        p.drawText(cell, Qt::AlignRight | Qt::AlignVCenter, QString::number(c.values[static_cast<std::size_t>(j)]));
    }
    p.end();
    c.window->present(image.constBits(), w, h, static_cast<int>(image.bytesPerLine()));
}

}  // namespace

void* StandInViewer::Create() { return new Context; }

bool StandInViewer::Attach(void* context, ViewerHost* window) {
    if (!context || !window) return false;
    ctx(context)->window = window;
    return true;
}

void StandInViewer::Destroy(void* context) {
    Context* c = ctx(context);
    if (!c) return;
    if (c->window) c->window->destroyWindow();
    delete c;
}

void StandInViewer::SetCursor(void* context, const void* cursor) { ctx(context)->cursor = cursor; }

void StandInViewer::SetNotifyProc(void*, ViewerNotifyProc) {}

bool StandInViewer::HandleMessages(void* context, ViewerHost*, unsigned message, std::uintptr_t, std::intptr_t,
                                   std::int32_t* result) {
    Context* c = ctx(context);
    if (!c) return false;
    switch (message) {
    case win::kWmPaint:
        if (c->window) render(*c);
        return true;
    case win::kWmKeyDown: case win::kWmKeyUp: case win::kWmMouseMove: case win::kWmLButtonDown:
    case win::kWmLButtonUp: case win::kWmRButtonDown: case win::kWmRButtonUp:
        if (c->window && (message == win::kWmLButtonDown || message == win::kWmRButtonDown))
            c->window->setCursor(c->cursor);
        if (c->window && (message == win::kWmLButtonUp || message == win::kWmRButtonUp)) c->window->setCursor(nullptr);
        if (result) *result = 0;
        return true;
    default:
        return false;
    }
}

int StandInViewer::SetJoints(void* context, const ViewerJointRange& range) {
    Context* c = ctx(context);
    int changed = 0;
    for (int k = 0; k < range.count; ++k) {
        const int j = range.first + k;
        if (j < 0 || j >= kViewerJoints) continue;
        int& v = c->values[static_cast<std::size_t>(j)];
        if (v != range.values[k]) {
            v = range.values[k];
            ++changed;
        }
    }
    if (changed && c->window) c->window->invalidate();
    return changed;
}

void StandInViewer::SelectJoint(void* context, int joint) {
    Context* c = ctx(context);
    if (!c->multi) c->selected.fill(false);
    if (joint >= 0 && joint < kViewerJoints) c->selected[static_cast<std::size_t>(joint)] = true;
    if (c->window) c->window->invalidate();
}

void StandInViewer::BeginMultiJoint(void* context) {
    ctx(context)->selected.fill(false);
    ctx(context)->multi = true;
}

void StandInViewer::EndMultiJoint(void* context) { ctx(context)->multi = false; }

bool StandInViewer::SetJointsVisible(void* context, int first, int count, bool visible) {
    Context* c = ctx(context);
    for (int j = first; j < first + count && j < kViewerJoints; ++j)
        if (j >= 0 && !visible) c->values[static_cast<std::size_t>(j)] = 0;
    return true;
}

namespace {
ViewerApi* g_api = nullptr;
}

ViewerApi& viewerApi() {
    static StandInViewer standIn;
    return g_api ? *g_api : standIn;
}

void setViewerApi(ViewerApi* api) { g_api = api; }

}  // namespace rova
