// The dialogs the performance view's commands open, behind one interface so
// that the headless tool and tests can answer them.
#pragma once

#include <QString>
#include <QStringList>
#include <optional>

#include "app/dialogs.h"

class QWidget;

namespace rova {

class ViewDialogs {
public:
    virtual ~ViewDialogs() = default;
    // "Zoom Factor": the new factor, or nothing for Cancel.
    virtual std::optional<int> askZoomFactor(QWidget* parent, int current) = 0;
    // "Apply macro to selection": the chosen name ("" when none chosen), or nothing unless Apply.
    virtual std::optional<QString> askMacro(QWidget* parent, const QStringList& names) = 0;
    // "Generate Eye LEDs from Audio" showing these thresholds: the ones set, or nothing unless Generate.
    virtual std::optional<EyeThresholds> askGenerateEyes(QWidget* parent, EyeThresholds current) = 0;
    // "Generate Mouth from Audio" showing this threshold: the one set, or nothing unless Generate.
    virtual std::optional<int> askGenerateMouth(QWidget* parent, int current) = 0;
    // "Paste Special", the one dialog of the run: the boxes confirmed, or nothing unless OK.
    virtual std::optional<PasteParts> askPasteSpecial(QWidget* parent) = 0;
};

// The real dialogs.
class QtViewDialogs : public ViewDialogs {
public:
    std::optional<int> askZoomFactor(QWidget* parent, int current) override;
    std::optional<QString> askMacro(QWidget* parent, const QStringList& names) override;
    std::optional<EyeThresholds> askGenerateEyes(QWidget* parent, EyeThresholds current) override;
    std::optional<int> askGenerateMouth(QWidget* parent, int current) override;
    std::optional<PasteParts> askPasteSpecial(QWidget* parent) override;
};

// The dialogs the views use; the real ones unless replaced.
ViewDialogs& viewDialogs();
void setViewDialogs(ViewDialogs* dialogs);

}  // namespace rova
