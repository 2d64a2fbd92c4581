#pragma once
// How far a PNG or icon file reaches by its own structure. A reader takes those bytes and no
// more, so a small picture padded far past its end (or followed by anything else) costs its own
// size, not the file's.
#include <cstdint>
#include <vector>

namespace gliffo {

namespace files {
class TInputFile;
}

// A file's bytes from its start through the end of its last PNG chunk (IEND), or with
// headersOnly through the header of its first IDAT chunk, which is as far as the chunks a
// header reader looks at may stand. head holds the file's first bytes, already read (headIsWhole:
// they are the whole file); a file cut short or broken in its chunk chain gives what there is,
// for the decoder to refuse in its own words.
std::vector<std::uint8_t> ReadPngExtent(const files::TInputFile& file, std::vector<std::uint8_t> head, bool headIsWhole,
                                        bool headersOnly);

// The same for an icon: from its start to the end of its furthest entry, as its directory says.
std::vector<std::uint8_t> ReadIcoExtent(const files::TInputFile& file, std::vector<std::uint8_t> head, bool headIsWhole);

}  // namespace gliffo
