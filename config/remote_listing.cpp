// The remote configuration command listing: the editor's values as text commands in the log.
#include "app/Unit1.h"
#include "config/editor_controls.h"
#include "config/remote_commands.h"

namespace orvel {

void TForm1::B_RemConfigClick() {
    Log->clear();
    AppendLog("Comandos de configuração remota:");
    for (const ListingLine& line : RemoteListing(ReadEditorValues(*this))) {
        if (line.emptied) EditFor(*this, *line.emptied)->clear();
        AppendLog(line.text);
    }
}

}  // namespace orvel
