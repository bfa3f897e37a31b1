#include "view/motion_clipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <new>
#include <stdexcept>

#include "view/clipboard_block.h"

namespace rova {
namespace {

MotionClipboard* g_clipboard = nullptr;

// Null without a GUI application.
QClipboard* systemClipboard() {
    return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) ? QGuiApplication::clipboard() : nullptr;
}

// The formats the block is offered under: the private MIME type and, on
// Windows, the registered format of the original program.
QStringList formats() {
#ifdef Q_OS_WIN
    return {kMotionMimeType, QStringLiteral("application/x-qt-windows-mime;value=\"%1\"").arg(kMotionClipboardFormat)};
#else
    return {kMotionMimeType};
#endif
}

}  // namespace

bool QtMotionClipboard::open() { return systemClipboard() != nullptr; }

// Setting new data replaces everything the clipboard held.
bool QtMotionClipboard::empty() { return systemClipboard() != nullptr; }

bool QtMotionClipboard::allocate(std::size_t size, std::vector<std::uint8_t>& block) {
    try {
        block.assign(size, 0);
    } catch (const std::bad_alloc&) {
        return false;
    } catch (const std::length_error&) {
        return false;
    }
    return true;
}

bool QtMotionClipboard::setData(std::vector<std::uint8_t> block) {
    QClipboard* clipboard = systemClipboard();
    if (!clipboard) return false;
    const QByteArray bytes(reinterpret_cast<const char*>(block.data()), static_cast<qsizetype>(block.size()));
    auto* data = new QMimeData;
    for (const QString& format : formats()) data->setData(format, bytes);
    clipboard->setMimeData(data);  // the clipboard owns it now
    return hasData();
}

bool QtMotionClipboard::getData(std::vector<std::uint8_t>& block) {
    QClipboard* clipboard = systemClipboard();
    // In a fresh process without a window system the clipboard may hold nothing at all.
    const QMimeData* data = clipboard ? clipboard->mimeData() : nullptr;
    if (!data || !data->hasFormat(kMotionMimeType)) return false;
    const QByteArray bytes = data->data(kMotionMimeType);
    block.assign(bytes.begin(), bytes.end());
    return true;
}

bool QtMotionClipboard::hasData() {
    QClipboard* clipboard = systemClipboard();
    const QMimeData* data = clipboard ? clipboard->mimeData() : nullptr;
    return data && data->hasFormat(kMotionMimeType);
}

MotionClipboard& motionClipboard() {
    static QtMotionClipboard real;
    return g_clipboard ? *g_clipboard : real;
}

void setMotionClipboard(MotionClipboard* clipboard) { g_clipboard = clipboard; }

}  // namespace rova
