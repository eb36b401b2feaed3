#pragma once
// Values of the window and printer services that several layers name: the
// modal results of dialogs and the orientation of a printed page. One
// definition here, so that the engine, the report component and the bridge
// can be used together.

namespace km {

// Results of a modal dialog.
enum TModalResult { mrNone = 0, mrOk = 1, mrCancel = 2 };

// The printer orientation of a page.
enum class TPrinterOrientation { poPortrait, poLandscape };

}  // namespace km
