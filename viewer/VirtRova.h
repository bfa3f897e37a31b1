/* VirtRova: the robot-dog viewer library.
 *
 * The viewer has no window and no message loop of its own. The host owns a
 * window, describes it with a HostWindow (a table of callbacks), and forwards
 * the window's messages to HandleMessages. Messages, mouse flags and virtual-key
 * codes keep the numeric values of the desktop system the viewer was first
 * written for, listed below.
 *
 * Calling order: Create, Attach, then SetCursor and SetNotifyProc, then any
 * number of HandleMessages and joint calls, and finally Destroy. Everything runs
 * on the thread that owns the window; nothing is locked. No C++ exception ever
 * leaves the library.
 */
#ifndef VIRTROVA_H
#define VIRTROVA_H

#include <stdint.h>
#ifndef __cplusplus
#include <stdbool.h>
#endif

#if defined(_WIN32)
#define VIRTROVA_API __declspec(dllexport)
#elif defined(__GNUC__)
#define VIRTROVA_API __attribute__((visibility("default")))
#else
#define VIRTROVA_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* One viewer instance, made by Create and freed by Destroy. */
typedef struct ViewerContext ViewerContext;

/* The rendering device of an attached viewer (GetDevice2). */
typedef struct ViewerDevice ViewerDevice;

/* A cursor of the host, passed through unchanged. VIRTROVA_ARROW_CURSOR stands
 * for the system arrow; a null cursor is no cursor at all. */
typedef const void* HostCursor;
#define VIRTROVA_ARROW_CURSOR ((HostCursor)(uintptr_t)1)

/* The window the viewer draws into. Every pointer may be null: a missing
 * callback does nothing (reads give 0), and a missing messageBox sends the
 * message to standard error. The struct must outlive the context that it is
 * attached to; user is handed back to every callback. */
typedef struct HostWindow {
    void* user;
    /* The size of the client area in pixels. */
    void (*clientSize)(void* user, int32_t* width, int32_t* height);
    /* Shows a rendered picture at the client area's top left corner: width x
     * height pixels of 4 bytes in the order red, green, blue, alpha (alpha 255),
     * rows stride bytes apart. The pixels are valid only during the call. */
    void (*present)(void* user, const uint8_t* rgba, int32_t width, int32_t height, int32_t stride);
    /* Asks for a paint of the whole client area without erasing it first; the
     * host answers later with a VR_WM_PAINT. */
    void (*invalidate)(void* user);
    void (*captureMouse)(void* user);
    void (*releaseMouse)(void* user);
    void (*setCursor)(void* user, HostCursor cursor);
    HostCursor (*getCursor)(void* user);
    /* Like the desktop's asynchronous key state: bit 0x8000 set while the key
     * (a virtual-key code) is down. */
    int16_t (*asyncKeyState)(void* user, int32_t virtualKey);
    /* Destroy closes the window with this; it must do nothing for a window that
     * is already gone. */
    void (*destroyWindow)(void* user);
    /* A modal message box with an OK button, no owner; returns when closed. */
    void (*messageBox)(void* user, const char* text, const char* caption);
    /* The viewer cannot go on drawing in this window (a resize failed); the host
     * ends the window's message loop with this exit code, or closes the window. */
    void (*postQuit)(void* user, int32_t exitCode);
} HostWindow;

/* What a paint leaves in the record given to HandlePaint. */
typedef struct PaintRecord {
    const HostWindow* dc;  /* the window painted, null when nothing was painted */
    int32_t erase;         /* always 0: the viewer paints every pixel */
    int32_t left, top, right, bottom;  /* the painted area: the client area */
} PaintRecord;

/* Joint values in whole degrees; values[k] belongs to viewer joint first + k.
 * Joints 0..17 are the joint channels (HeadY ... TailX), 18..21 the paws (right
 * front, left front, right rear, left rear), 22 and 23 the ears. */
typedef struct JointRange {
    int32_t first;
    int32_t count;
    int32_t* values;
} JointRange;

/* Asked while the user drags a joint, with the proposed value already within the
 * joint's limits: true lets the joint take it. */
typedef bool (*JointNotifyProc)(ViewerContext* context, int32_t joint, int32_t value);

/* Window messages, their flags and key codes. */
enum {
    VR_WM_SIZE = 0x0005,
    VR_WM_ACTIVATE = 0x0006,
    VR_WM_PAINT = 0x000F,
    VR_WM_KEYDOWN = 0x0100,
    VR_WM_KEYUP = 0x0101,
    VR_WM_MOUSEMOVE = 0x0200,
    VR_WM_LBUTTONDOWN = 0x0201,
    VR_WM_LBUTTONUP = 0x0202,
    VR_WM_LBUTTONDBLCLK = 0x0203,
    VR_WM_RBUTTONDOWN = 0x0204,
    VR_WM_RBUTTONUP = 0x0205,
    VR_WM_MBUTTONDOWN = 0x0207,
    VR_WM_MBUTTONUP = 0x0208,
    VR_WM_MOUSEWHEEL = 0x020A, /* wParam: wheel delta (120 a notch, forward positive) in the high 16 bits */

    VR_WA_INACTIVE = 0,
    VR_WA_ACTIVE = 1,

    VR_MK_LBUTTON = 0x0001,
    VR_MK_RBUTTON = 0x0002,
    VR_MK_SHIFT = 0x0004,
    VR_MK_MBUTTON = 0x0010,

    VR_VK_SHIFT = 0x10,
    VR_VK_MENU = 0x12, /* Alt */
    VR_VK_LEFT = 0x25,
    VR_VK_UP = 0x26,
    VR_VK_RIGHT = 0x27,
    VR_VK_DOWN = 0x28,
    VR_VK_ADD = 0x6B,
    VR_VK_SUBTRACT = 0x6D
};

/* lParam of mouse messages: x in the low 16 bits, y in the high 16 bits, both
 * signed. lParam of VR_WM_SIZE: width low, height high. */
#define VIRTROVA_MAKELPARAM(low, high) \
    ((intptr_t)(uint32_t)(((uint32_t)(uint16_t)(high) << 16) | (uint32_t)(uint16_t)(low)))

/* A new, unattached viewer; null when the 3D platform cannot be set up. */
VIRTROVA_API ViewerContext* Create(void);
/* Binds the viewer to the window: device, scene, viewport and the robot model.
 * Failures are shown in message boxes; false unless all succeeded. */
VIRTROVA_API bool Attach(ViewerContext* context, const HostWindow* window);
/* Frees everything, then destroys the window given to Attach. */
VIRTROVA_API void Destroy(ViewerContext* context);
/* The cursor shown while a mouse button is held in the view (the arrow after
 * Create; null: the cursor is left alone). */
VIRTROVA_API void SetCursor(ViewerContext* context, HostCursor cursor);
/* Installs the drag callback; with one installed, left clicks pick joints. */
VIRTROVA_API void SetNotifyProc(ViewerContext* context, JointNotifyProc proc);
/* Handles a message of the window. False: the host does its own default
 * handling. For input messages the result is stored through result. */
VIRTROVA_API bool HandleMessages(ViewerContext* context, const HostWindow* window, uint32_t message,
                                 uintptr_t wParam, intptr_t lParam, int32_t* result);
/* Keyboard and mouse messages; always 0. */
VIRTROVA_API int32_t HandleInput(ViewerContext* context, const HostWindow* window, uint32_t message,
                                 uintptr_t wParam, intptr_t lParam);
/* Follows the window's new size (lParam of VR_WM_SIZE). */
VIRTROVA_API bool HandleSize(ViewerContext* context, intptr_t lParam);
VIRTROVA_API void HandleActivate(ViewerContext* context, uintptr_t wParam);
/* Paints the window if it waits for a paint; fills out when given. */
VIRTROVA_API void HandlePaint(ViewerContext* context, PaintRecord* out);
/* Draws the scene and presents it through the window. */
VIRTROVA_API bool Render(ViewerContext* context);
VIRTROVA_API ViewerDevice* GetDevice2(ViewerContext* context);
VIRTROVA_API void GetJoints(ViewerContext* context, const JointRange* range);
/* Sets the joints whose value differs; returns how many changed. */
VIRTROVA_API int32_t SetJoints(ViewerContext* context, const JointRange* range);
/* Highlights a joint's part of the model (-1: none). */
VIRTROVA_API void SelectJoint(ViewerContext* context, int32_t joint);
VIRTROVA_API void BeginMultiJoint(ViewerContext* context);
VIRTROVA_API void EndMultiJoint(ViewerContext* context);
/* Hidden joints go to 0 and turn grey with everything below them; visible ones
 * get their own colours back. Always true. */
VIRTROVA_API bool SetJointsVisible(ViewerContext* context, int32_t first, int32_t count, bool visible);

/* ---- Eye lamps and the camera ----------------------------------------------
 *
 * These exports answer with a result code: VIRTROVA_OK or one of the codes
 * below (VirtRova_ErrorText gives the text to show). The codes follow the
 * platform's codes in the viewer's error table. */
#define VIRTROVA_OK 0
#define VIRTROVA_E_NO_VIEWER ((int32_t)0x88760400u)      /* a null viewer was passed */
#define VIRTROVA_E_NOT_ATTACHED ((int32_t)0x88760401u)   /* the call needs a viewer attached to a window */
#define VIRTROVA_E_BAD_EYES ((int32_t)0x88760402u)       /* an eye state outside 0..3 */
#define VIRTROVA_E_BAD_YAW ((int32_t)0x88760403u)        /* a yaw that is not a finite number */
#define VIRTROVA_E_BAD_PITCH ((int32_t)0x88760404u)      /* a pitch outside -89..89 degrees */
#define VIRTROVA_E_BAD_DISTANCE ((int32_t)0x88760405u)   /* a distance outside 1..1000 units */
#define VIRTROVA_E_BAD_TARGET ((int32_t)0x88760406u)     /* a target that is not a finite point */
#define VIRTROVA_E_NULL_POINTER ((int32_t)0x88760407u)   /* nowhere to put a result */

/* Eye states, as the bits of an eye LED step: bit 0 the green eye (the robot's
 * left, at +x), bit 1 the red eye (its right). */
enum {
    VIRTROVA_EYES_OFF = 0,
    VIRTROVA_EYES_GREEN = 1,
    VIRTROVA_EYES_RED = 2,
    VIRTROVA_EYES_BOTH = 3
};

/* The camera orbits a target point: yaw turns it about the vertical (positive:
 * its view turns toward +x, so it goes round to the robot's right side), pitch
 * raises it above the target (positive: looking down), and it
 * stays distance units from the target. The camera of a new viewer looks along
 * +z from the origin: yaw 0, pitch 0, distance 50, target (0, 0, 50). */
#define VIRTROVA_CAMERA_MIN_PITCH (-89.0f)
#define VIRTROVA_CAMERA_MAX_PITCH 89.0f
#define VIRTROVA_CAMERA_MIN_DISTANCE 1.0f
#define VIRTROVA_CAMERA_MAX_DISTANCE 1000.0f

/* The text for a result code of the viewer (these exports' codes included);
 * never null. */
VIRTROVA_API const char* VirtRova_ErrorText(int32_t code);
/* Lights the eyes (an eye state above); repaints when they change. */
VIRTROVA_API int32_t VirtRova_SetEyes(ViewerContext* context, int32_t state);
VIRTROVA_API int32_t VirtRova_GetEyes(ViewerContext* context, int32_t* state);
/* Places the camera around its target (degrees and scene units); repaints. */
VIRTROVA_API int32_t VirtRova_SetCamera(ViewerContext* context, float yaw, float pitch, float distance);
VIRTROVA_API int32_t VirtRova_GetCamera(ViewerContext* context, float* yaw, float* pitch, float* distance);
/* Moves the point the camera turns about, keeping yaw, pitch and distance. */
VIRTROVA_API int32_t VirtRova_SetCameraTarget(ViewerContext* context, float x, float y, float z);
VIRTROVA_API int32_t VirtRova_GetCameraTarget(ViewerContext* context, float* x, float* y, float* z);
/* Back to the camera of a new viewer; the picture is then the same as before
 * the camera moved. */
VIRTROVA_API int32_t VirtRova_ResetCamera(ViewerContext* context);
/* The camera's mouse input, offered before HandleMessages: a middle drag
 * orbits (with Shift: pans), the wheel zooms, a left drag with Alt held or one
 * that starts on empty space orbits, and a left double click on empty space
 * resets the camera. True when the message was the camera's (the host then
 * does not pass it on); false leaves it to HandleMessages. */
VIRTROVA_API bool VirtRova_HandleCameraInput(ViewerContext* context, const HostWindow* window, uint32_t message,
                                             uintptr_t wParam, intptr_t lParam);

#ifdef __cplusplus
}
#endif

#endif /* VIRTROVA_H */
