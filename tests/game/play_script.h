// Plays a script through the real rules, as the replay tests write them: words
// optionally repeated as in "step*21": step, a key's name (space, z, up, down,
// left, right), key<n> for any other key code and deal<n> for the deal of seed n.
#pragma once

#include <cstdint>
#include <map>
#include <sstream>
#include <string>

#include "game/controls.h"
#include "game/game_state.h"

inline void playScript(const std::string& script) {
    static const std::map<std::string, std::int32_t> keys = {
        {"space", kKeySpace}, {"z", kKeyZ},       {"up", kKeyUp},
        {"down", kKeyDown},   {"left", kKeyLeft}, {"right", kKeyRight}};
    std::istringstream words(script);
    for (std::string word; words >> word;) {
        const std::size_t star = word.find('*');
        const std::string name = word.substr(0, star);
        for (int n = star == std::string::npos ? 1 : std::stoi(word.substr(star + 1)); n > 0; --n) {
            name == "step" ? stepGame()
            : name.rfind("deal", 0) == 0
                ? dealNewGame(std::stoul(name.substr(4)))
                : handleKeyDown(keys.count(name) ? keys.at(name) : std::stoi(name.substr(3)));
        }
    }
}
