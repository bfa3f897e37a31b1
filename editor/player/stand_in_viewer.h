// The viewer the player window uses while no 3D viewer library is bound: it
// keeps the joint values it is sent and draws them as a table, so the player
// window, its messages and the editor's calls can all be exercised.
#pragma once

#include "player/viewer_api.h"

namespace rova {

class StandInViewer : public ViewerApi {
public:
    void* Create() override;
    bool Attach(void* context, ViewerHost* window) override;
    void Destroy(void* context) override;
    void SetCursor(void* context, const void* cursor) override;
    void SetNotifyProc(void* context, ViewerNotifyProc proc) override;
    bool HandleMessages(void* context, ViewerHost* window, unsigned message, std::uintptr_t wParam,
                        std::intptr_t lParam, std::int32_t* result) override;
    int SetJoints(void* context, const ViewerJointRange& range) override;
    void SelectJoint(void* context, int joint) override;
    void BeginMultiJoint(void* context) override;
    void EndMultiJoint(void* context) override;
    bool SetJointsVisible(void* context, int first, int count, bool visible) override;
};

}  // namespace rova
