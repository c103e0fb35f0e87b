// The medium's LZ encoder, a host tool of the build: writes a file in the
// compressed format that the setup's expander, LZ32 and msexpand read
// ("SZDD", method A), with the smallest data that format allows for it.
//
// The format: a 4096-byte ring that starts filled with blanks and is
// written from position 4080; items of 9 bits (a flag bit and a literal
// byte) or 17 bits (a flag bit and a reference to 3..18 bytes anywhere in
// the ring). The encoder finds at every byte the longest match anywhere in
// the ring, the initial blanks included, with binary search trees over the
// 18-byte strings (the neighbours of a string in sorted order hold its
// longest common prefix), then chooses literals and references by dynamic
// programming over their cost in bits. Ties go to the longer item, and
// among equally long matches to the one met first in the tree: the same
// input always gives the same bytes.
//
// usage: szdd_encoder INPUT OUTPUT
// Exit status 0 when OUTPUT was written, 1 with a message naming the file
// otherwise. The whole input is held in memory, with 10 bytes per byte for
// the parse (a 100 MB file takes about 1.1 GB; a medium's files are far
// smaller).
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

const int RingSize = 4096;
const int RingStart = RingSize - 16;
const int ShortestMatch = 3;
const int LongestMatch = ShortestMatch + 15;
const unsigned LiteralBits = 9;
const unsigned ReferenceBits = 17;
const unsigned char Header[] = { 'S', 'Z', 'D', 'D', 0x88, 0xF0, 0x27, 0x33, 'A', 0 };

// The bytes as the expander sees them: the ring's blanks, then the file,
// then padding so that every string of LongestMatch bytes can be compared.
// A file byte at index i lies at text position RingSize + i; a reference
// from position q reaches back 1..RingSize positions.
struct Text {
    std::vector<unsigned char> bytes;
    size_t length;          // of the file
};

// Binary search trees of the strings that start at the last RingSize
// positions, one tree per first byte. Nodes are positions modulo twice the
// ring, so a position leaves only after its successor a ring later went in.
class MatchTrees {
public:
    explicit MatchTrees(const Text &text)
        : text_(text), left_(Slots + Roots, None), right_(Slots + Roots, None), parent_(Slots, None)
    {
    }

    // Inserts the string at position q and returns the longest match for it
    // among the strings already in the trees, capped at limit.
    int Insert(size_t q, int limit, size_t &from)
    {
        const unsigned char *key = &text_.bytes[q];
        size_t node = q % Slots;
        left_[node] = right_[node] = None;
        size_t at = Slots + key[0];
        bool toRight = true;
        int best = 0;
        for (;;) {
            std::vector<size_t> &side = toRight ? right_ : left_;
            if (side[at] == None) {
                side[at] = node;
                parent_[node] = at;
                return best;
            }
            at = side[at];
            size_t candidate = position_[at];
            const unsigned char *other = &text_.bytes[candidate];
            int same = 1;
            while (same < LongestMatch && key[same] == other[same])
                ++same;
            int usable = same < limit ? same : limit;
            if (usable > best) {
                best = usable;
                from = candidate;
            }
            if (same == LongestMatch) {
                Replace(at, node);
                return best;
            }
            toRight = key[same] > other[same];
        }
    }

    void Remember(size_t q) { position_[q % Slots] = q; }

    // Takes position q out, unless a newer equal string replaced it.
    void Remove(size_t q)
    {
        size_t node = q % Slots;
        if (parent_[node] == None || position_[node] != q)
            return;
        size_t taking;
        if (right_[node] == None) {
            taking = left_[node];
        } else if (left_[node] == None) {
            taking = right_[node];
        } else {
            taking = left_[node];
            if (right_[taking] != None) {
                do
                    taking = right_[taking];
                while (right_[taking] != None);
                right_[parent_[taking]] = left_[taking];
                if (left_[taking] != None)
                    parent_[left_[taking]] = parent_[taking];
                left_[taking] = left_[node];
                parent_[left_[node]] = taking;
            }
            right_[taking] = right_[node];
            parent_[right_[node]] = taking;
        }
        if (taking != None)
            parent_[taking] = parent_[node];
        Child(parent_[node], node) = taking;
        parent_[node] = None;
    }

private:
    static constexpr size_t Slots = 2 * RingSize;
    static constexpr size_t Roots = 256;
    static constexpr size_t None = SIZE_MAX;

    size_t &Child(size_t of, size_t node) { return right_[of] == node ? right_[of] : left_[of]; }

    // node takes the place of old, whose string is the same.
    void Replace(size_t old, size_t node)
    {
        left_[node] = left_[old];
        right_[node] = right_[old];
        parent_[node] = parent_[old];
        if (left_[node] != None)
            parent_[left_[node]] = node;
        if (right_[node] != None)
            parent_[right_[node]] = node;
        Child(parent_[old], old) = node;
        parent_[old] = None;
    }

    const Text &text_;
    std::vector<size_t> left_, right_, parent_;
    size_t position_[Slots] = {};
};

// The longest match at every file byte: its length (0 below ShortestMatch)
// and the text position it copies from.
void FindMatches(const Text &text, std::vector<uint8_t> &length, std::vector<uint32_t> &from)
{
    MatchTrees trees(text);
    size_t end = RingSize + text.length;
    for (size_t q = 0; q < end; ++q) {
        trees.Remember(q);
        size_t found = 0;
        size_t left = end - q;
        int limit = left < (size_t)LongestMatch ? (int)left : LongestMatch;
        int best = trees.Insert(q, limit, found);
        if (q >= RingSize) {
            length[q - RingSize] = (uint8_t)(best >= ShortestMatch ? best : 0);
            from[q - RingSize] = (uint32_t)found;
        }
        if (q >= RingSize)
            trees.Remove(q - RingSize);
    }
}

// The cheapest items from every byte to the end, chosen backwards; the
// choice at i is its length (1 for a literal). Costs are kept modulo 2^32
// (a file over 250 MB would overflow them): the candidates at one byte
// differ by a few hundred bits, so the sign of their difference decides.
void ChooseItems(const std::vector<uint8_t> &length, std::vector<uint8_t> &choice)
{
    size_t n = length.size();
    std::vector<uint32_t> cost(n + 1, 0);
    for (size_t i = n; i-- > 0;) {
        uint32_t best = LiteralBits + cost[i + 1];
        uint8_t take = 1;
        for (int l = length[i]; l >= ShortestMatch; --l) {
            uint32_t c = ReferenceBits + cost[i + l];
            if ((int32_t)(c - best) < 0) {
                best = c;
                take = (uint8_t)l;
            }
        }
        cost[i] = best;
        choice[i] = take;
    }
}

void PutLength(std::vector<unsigned char> &out, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        out.push_back((unsigned char)(value >> (8 * i)));
}

std::vector<unsigned char> Encode(const Text &text)
{
    size_t n = text.length;
    std::vector<uint8_t> length(n), choice(n);
    std::vector<uint32_t> from(n);
    FindMatches(text, length, from);
    ChooseItems(length, choice);
    std::vector<unsigned char> out(Header, Header + sizeof Header);
    PutLength(out, (uint32_t)n);
    size_t flags = 0;
    int items = 8;
    for (size_t i = 0; i < n; i += choice[i]) {
        if (items == 8) {
            flags = out.size();
            out.push_back(0);
            items = 0;
        }
        if (choice[i] == 1) {
            out[flags] |= (unsigned char)(1 << items);
            out.push_back(text.bytes[RingSize + i]);
        } else {
            unsigned ring = (unsigned)((from[i] + RingStart) % RingSize);
            out.push_back((unsigned char)(ring & 0xFF));
            out.push_back((unsigned char)(((ring >> 4) & 0xF0) | (unsigned)(choice[i] - ShortestMatch)));
        }
        ++items;
    }
    return out;
}

int Fail(const char *path, const char *what)
{
    std::fprintf(stderr, "szdd_encoder: %s: %s (%s)\n", path, what, std::strerror(errno));
    return 1;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: szdd_encoder INPUT OUTPUT\n");
        return 2;
    }
    Text text;
    text.bytes.assign(RingSize, ' ');
    FILE *input = std::fopen(argv[1], "rb");
    if (!input)
        return Fail(argv[1], "cannot be opened");
    unsigned char block[65536];
    size_t got;
    while ((got = std::fread(block, 1, sizeof block, input)) > 0)
        text.bytes.insert(text.bytes.end(), block, block + got);
    bool bad = std::ferror(input);
    std::fclose(input);
    if (bad)
        return Fail(argv[1], "cannot be read");
    text.length = text.bytes.size() - RingSize;
    if (text.length > UINT32_MAX) {
        errno = EFBIG;
        return Fail(argv[1], "longer than the format's 4 GB");
    }
    text.bytes.resize(text.bytes.size() + LongestMatch, 0);
    std::vector<unsigned char> out = Encode(text);
    FILE *output = std::fopen(argv[2], "wb");
    if (!output)
        return Fail(argv[2], "cannot be created");
    bad = std::fwrite(out.data(), 1, out.size(), output) != out.size();
    bad = std::fclose(output) != 0 || bad;
    if (bad) {
        std::remove(argv[2]);
        return Fail(argv[2], "cannot be written");
    }
    return 0;
}
