// What the preview brings when the user-interface library loads: the
// "Screen" device, the preview window for the producer, the preview class
// and the message box window.

#include "dialogs/message_box.h"
#include "document/dialog_registry.h"
#include "document/form.h"
#include "output/device_registry.h"
#include "preview/preview.h"
#include "preview/print_preview.h"
#include "preview/screen_device.h"

namespace orvane {

namespace {

struct TPreviewModule {
    TPreviewModule()
    {
        RegisterDeviceClass(DeviceClassOf<TjxScreenDevice>());
        RegisterDialogClass(QStringLiteral("TjxCustomPreviewer"), TjxPrintPreview::StaticClass());
        RegisterPreviewClass([](QWidget* parent) -> TjxCustomPreview* { return new TjxPreview(parent); });
        InstallMessageBoxWindow();
    }
    ~TPreviewModule()
    {
        SetMessageBoxHandler(nullptr);
        UnregisterPreviewClass();
        UnregisterDialogClass(QStringLiteral("TjxCustomPreviewer"));
        UnregisterDeviceClass(TjxScreenDevice::StaticClass());
    }
};

const TPreviewModule s_previewModule;

} // namespace

} // namespace orvane
