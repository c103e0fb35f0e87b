// The LZ compressed format: a 14-byte header, then groups of one flag byte
// and eight items, its bits read from the lowest. A set bit is one literal
// byte; a clear bit is a two-byte reference to 3 to 18 bytes already
// written, in a 4096-byte ring that starts filled with blanks and is
// written from 16 bytes before its end.
#include "install/lz_expander.h"

namespace {

const BYTE Signature[] = { 'S', 'Z', 'D', 'D', 0x88, 0xF0, 0x27, 0x33 };
const int SignatureLength = sizeof Signature;
const BYTE MethodA = 'A';           // the only method the format defines
const int MethodOffset = 8;
const int LengthOffset = 10;
const int HeaderLength = 14;

const int RingSize = 4096;
const int RingMask = RingSize - 1;
const int RingStart = RingSize - 16;
const BYTE RingFill = ' ';
const int ShortestMatch = 3;
const int LongestMatch = ShortestMatch + 15;
const int MaxItemBytes = 3;         // a flag byte and a two-byte reference

// Large transfers: the file system is asked once per 32 KB, not per byte.
const DWORD BufferSize = 32768;

BYTE input[BufferSize];
// Expansion writes into window[] behind the ring's worth of bytes written
// before (at first the ring's blanks): a reference then copies from a
// distance behind the next byte, with no ring of its own to keep.
BYTE window[RingSize + BufferSize];

struct Stream {
    HANDLE source;
    DWORD inputAt;          // next byte of input[]
    DWORD inputEnd;         // bytes held in input[]
    HANDLE destination;
    int failed;             // a read or write error
};

// Reads the next block behind the `kept` bytes at the start of input[].
int Refill(Stream &stream, DWORD kept)
{
    DWORD got = 0;
    if (!ReadFile(stream.source, input + kept, BufferSize - kept, &got, NULL)) {
        stream.failed = 1;
        got = 0;
    }
    stream.inputAt = 0;
    stream.inputEnd = kept + got;
    return got != 0;
}

int WriteOut(Stream &stream, const BYTE *data, DWORD length)
{
    DWORD written = 0;
    if (length && (!WriteFile(stream.destination, data, length, &written, NULL) || written != length))
        stream.failed = 1;
    return !stream.failed;
}

// Plain copy of what is left, the bytes already in input[] first.
int CopyRest(Stream &stream)
{
    do {
        if (!WriteOut(stream, input + stream.inputAt, stream.inputEnd - stream.inputAt))
            return 0;
        stream.inputAt = stream.inputEnd;
    } while (Refill(stream, 0));
    return !stream.failed;
}

// Expands until `expected` bytes are out or the data ends. This loop is
// most of the setup's own work: its positions are locals, not fields of
// the stream, so that the compiler need not reload them after every byte
// it stores; the output is written out once the longest item might not
// fit behind it, and the last ring's worth kept in front for references.
int Expand(Stream &stream, DWORD expected)
{
    for (int i = 0; i < RingSize; ++i)
        window[i] = RingFill;
    BYTE *const newBytes = window + RingSize;
    const BYTE *const outLimit = newBytes + BufferSize - LongestMatch;
    BYTE *out = newBytes;
    DWORD left = expected;
    const BYTE *in = input + stream.inputAt;
    const BYTE *inEnd = input + stream.inputEnd;
    // The group's flag bits, lowest first, above a marker bit: a value of
    // 1 means the group is spent.
    unsigned flags = 1;

    while (left) {
        if (inEnd - in < MaxItemBytes) {
            // Near the end of input[]: the bytes left go to its start,
            // then the rest of it is refilled from the file.
            DWORD kept = (DWORD)(inEnd - in);
            for (DWORD i = 0; i < kept; ++i)
                input[i] = in[i];
            Refill(stream, kept);
            in = input;
            inEnd = input + stream.inputEnd;
            if (in == inEnd)
                break;
        }
        if (flags == 1)
            flags = *in++ | 0x100;
        if (in == inEnd)
            break;
        if (flags & 1) {
            *out++ = *in++;
            --left;
        } else {
            if (inEnd - in < 2)
                break;
            unsigned from = in[0] | ((in[1] & 0xF0) << 4);
            DWORD count = (DWORD)(in[1] & 0x0F) + ShortestMatch;
            in += 2;
            // The ring position of the next byte, and how far behind it
            // the reference lies: 1 to a whole ring.
            unsigned ringAt = (RingStart + (expected - left)) & RingMask;
            const BYTE *copy = out - (((ringAt - from - 1) & RingMask) + 1);
            if (count > left)
                count = left;
            left -= count;
            do
                *out++ = *copy++;
            while (--count);
        }
        flags >>= 1;
        if (out >= outLimit) {
            if (!WriteOut(stream, newBytes, (DWORD)(out - newBytes)))
                return 0;
            for (int i = 0; i < RingSize; ++i)
                window[i] = out[i - RingSize];
            out = newBytes;
        }
    }
    return WriteOut(stream, newBytes, (DWORD)(out - newBytes)) && left == 0 && !stream.failed;
}

int HasSignature()
{
    for (int i = 0; i < SignatureLength; ++i)
        if (input[i] != Signature[i])
            return 0;
    return 1;
}

} // namespace

int CopyExpanded(HANDLE source, HANDLE destination)
{
    Stream stream = { source, 0, 0, destination, 0 };
    Refill(stream, 0);
    if (stream.failed)
        return 0;
    if (stream.inputEnd < (DWORD)HeaderLength || !HasSignature())
        return CopyRest(stream);
    if (input[MethodOffset] != MethodA)
        return 0;
    DWORD expected = (DWORD)input[LengthOffset] | (DWORD)input[LengthOffset + 1] << 8
                     | (DWORD)input[LengthOffset + 2] << 16 | (DWORD)input[LengthOffset + 3] << 24;
    stream.inputAt = HeaderLength;
    return Expand(stream, expected);
}
