// The print commands: each hands over to the editor's printing, which holds the listing, the printer and
// their dialogs. The toolbar's print button runs the menu item.

#include "TfrmTerminal.h"

#include "editor/EditorPrinting.h"

EditorPrinting* TfrmTerminal::printing()
{
    if (!m_printing)
        m_printing = new EditorPrinting(RTF, this);
    return m_printing;
}

void TfrmTerminal::mnuDruckenClick() { printing()->print(); }

void TfrmTerminal::Druckereinrichtung1Click() { printing()->setUpPrinter(); }

void TfrmTerminal::mnuDruckvorschauClick() { printing()->preview(); }
