#pragma once

#include <string>

// The download channel a copy of the installer serves, named in its own file name:
// "Setup_<channel>[-<sub-channel>]_....exe".
struct ChannelChoice {
    std::wstring channel = L"front";
    int subChannel = 0;
};

// `fileName` is the executable's name without folder and extension. The text between the first and
// the second underscore, when not empty, is "<channel>" or "<channel>-<sub-channel>[-...]"; any other
// name gives channel "front", sub-channel 0. A sub-channel that is not a number counts as 0.
ChannelChoice ChannelFromFileName(const std::wstring& fileName);
