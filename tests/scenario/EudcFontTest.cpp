#include <gtest/gtest.h>

#include <windows.h>

#include <optional>
#include <string>

#include "scenario/FCScenario.h"
#include "support/TestFiles_win32.h"

// The game's EUDC font is the player's setting for as long as the game runs:
// afterwards the player's own value is back exactly as it was (absent when
// it was absent, in whatever characters it was written), and a game that
// never set a font leaves it alone.
namespace {

constexpr wchar_t kKey[] = L"EUDC\\932";
constexpr wchar_t kValue[] = L"SystemDefaultEUDCFont";

std::optional<std::wstring> playerValue()
{
    wchar_t text[MAX_PATH] = {};
    DWORD size = sizeof text - sizeof(wchar_t);
    if (RegGetValueW(HKEY_CURRENT_USER, kKey, kValue, RRF_RT_REG_SZ, nullptr, text, &size) != ERROR_SUCCESS)
        return std::nullopt;
    return std::wstring(text);
}

void setPlayerValue(const std::optional<std::wstring>& value)
{
    HKEY key = nullptr;
    ASSERT_EQ(
        RegCreateKeyExW(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr), ERROR_SUCCESS);
    if (value)
        RegSetValueExW(key, kValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(value->c_str()),
            static_cast<DWORD>((value->size() + 1) * sizeof(wchar_t)));
    else
        RegDeleteValueW(key, kValue);
    RegCloseKey(key);
}

} // namespace

TEST(EudcFont, ThePlayersValueComesBackAfterEveryGameAction)
{
    const std::string gameFont = scratchFile("eudc", "game.tte");
    {
        FILE* f = std::fopen(gameFont.c_str(), "wb");
        ASSERT_NE(f, nullptr);
        std::fclose(f);
    }
    const std::optional<std::wstring> kept = playerValue();
    enum class Action { None, Set, SetThenReset, SetMissingFile };
    const std::optional<std::wstring> players[] = {
        std::nullopt,
        std::wstring(L"C:\\windows\\fonts\\player.tte"),
        // Characters that code page 932 and code page 1252 both lack one of.
        std::wstring(L"C:\\users\\Cl\u00e9ment\\\u5916\u5b57.tte"),
        std::wstring(),
    };
    for (const auto& player : players) {
        for (Action action : { Action::None, Action::Set, Action::SetThenReset, Action::SetMissingFile }) {
            SCOPED_TRACE(std::to_string(static_cast<int>(action)) + (player ? " player set" : " player absent"));
            setPlayerValue(player);
            {
                FCScenario scenario(nullptr);
                scenario.initialise("EudcGame", 1, 1, 1, 1, nullptr);
                if (action == Action::Set || action == Action::SetThenReset) {
                    scenario.setEudcFont(gameFont.c_str());
                    EXPECT_EQ(playerValue(), std::wstring(gameFont.begin(), gameFont.end()));
                }
                if (action == Action::SetThenReset) {
                    scenario.setEudcFont(nullptr);
                    EXPECT_EQ(playerValue(), player);
                }
                if (action == Action::SetMissingFile) {
                    scenario.setEudcFont("C:\\no\\such\\font.tte");
                    EXPECT_EQ(playerValue(), player);
                }
            }
            EXPECT_EQ(playerValue(), player);
        }
    }
    setPlayerValue(kept);
    DeleteFileA(gameFont.c_str());
}
