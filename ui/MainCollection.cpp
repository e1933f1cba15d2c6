// PGN collections in the window: a text of several games asks which one to load, and the game
// picked loads as the only game of a file would.
#include "GameFiles.h"
#include "GameListDialog.h"
#include "Main.h"
#include "PgnIndex.h"
#include "Prompts.h"

bool TMainForm::ChooseCollectionGame(const std::shared_ptr<const TPgnSource> &source,
                                     const QString &sourceName) {
    if (!HoldsSeveralPgnGames(source->Bytes()))
        return false;
    std::optional<TPickedGame> picked;
    {
        // The list and its thread end before the game is loaded.
        TGameListDialog dialog(source, sourceName, this);
        if (Prompts().ChooseGame(dialog) == QDialog::Accepted)
            picked = dialog.CurrentGame();
    }
    if (!picked)
        return true; // Escape: the game on the board stays
    LoadGame(CollectionGame(sourceName, picked->Text, picked->Number));
    return true;
}
