// The Play command's services in the program: the audio device, the player
// window and a host that waits for the next pose with the windows repainting
// while the user's input stays out, Esc excepted. Tests and the headless tool
// put their own in place.
#pragma once

#include <QObject>
#include <chrono>

#include "playback/playback.h"

class QEventLoop;

namespace rova {

// The host of a playback in the program: the player link's window, the steady
// clock, and waits that run the event loop. During a wait an application-wide
// event filter keeps keys, mouse and close requests from every window, so
// nothing can be edited or closed under the playback, and notes Esc.
class QtPlaybackHost : public QObject, public PlaybackHost {
public:
    QtPlaybackHost();
    ~QtPlaybackHost() override;

    void* getViewer() override;
    void showPlayer() override;
    void refreshPlayer() override;
    std::int64_t clockMs() override;
    void waitUntil(std::int64_t ms) override;
    bool escapeDown() override { return m_escape; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    const std::chrono::steady_clock::time_point m_epoch = std::chrono::steady_clock::now();
    QEventLoop* m_loop = nullptr;
    bool m_escape = false;
};

struct PlaybackServices {
    AudioCommands* audio = nullptr;  // null: the program's audio device
    PlaybackHost* host = nullptr;    // null: the program's QtPlaybackHost
    ViewerApi* viewerApi = nullptr;  // null: viewerApi()
};

// Replaces the Play command's services; null goes back to the program's.
void setPlaybackServices(const PlaybackServices* services);

// The audio device Play uses: the services' or the program's (the Beats
// dialog plays the music on it for tapping along).
AudioCommands& playbackAudio();

}  // namespace rova
