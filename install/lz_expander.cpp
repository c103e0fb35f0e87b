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

// Large transfers: the file system is asked once per 32 KB, not per byte.
const DWORD BufferSize = 32768;

BYTE input[BufferSize];
BYTE output[BufferSize];
BYTE ring[RingSize];

struct Stream {
    HANDLE source;
    DWORD inputAt;          // next byte of input[]
    DWORD inputEnd;         // bytes held in input[]
    HANDLE destination;
    DWORD outputUsed;
    int failed;             // a read or write error
};

int Refill(Stream &stream)
{
    DWORD got = 0;
    if (!ReadFile(stream.source, input, BufferSize, &got, NULL)) {
        stream.failed = 1;
        got = 0;
    }
    stream.inputAt = 0;
    stream.inputEnd = got;
    return got != 0;
}

// The next input byte, or -1 at the end of the file.
int NextByte(Stream &stream)
{
    if (stream.inputAt == stream.inputEnd && !Refill(stream))
        return -1;
    return input[stream.inputAt++];
}

int WriteOut(Stream &stream, const BYTE *data, DWORD length)
{
    DWORD written = 0;
    if (length && (!WriteFile(stream.destination, data, length, &written, NULL) || written != length))
        stream.failed = 1;
    return !stream.failed;
}

int FlushOutput(Stream &stream)
{
    DWORD used = stream.outputUsed;
    stream.outputUsed = 0;
    return WriteOut(stream, output, used);
}

// Plain copy of what is left, the bytes already in input[] first.
int CopyRest(Stream &stream)
{
    do {
        if (!WriteOut(stream, input + stream.inputAt, stream.inputEnd - stream.inputAt))
            return 0;
        stream.inputAt = stream.inputEnd;
    } while (Refill(stream));
    return !stream.failed;
}

// Expands until `expected` bytes are out or the data ends.
int Expand(Stream &stream, DWORD expected)
{
    for (int i = 0; i < RingSize; ++i)
        ring[i] = RingFill;
    int ringAt = RingStart;
    DWORD produced = 0;
    int flags = 0;
    int flagsLeft = 0;

    while (produced < expected) {
        if (flagsLeft == 0) {
            flags = NextByte(stream);
            if (flags < 0)
                break;
            flagsLeft = 8;
        }
        int literal = flags & 1;
        flags >>= 1;
        --flagsLeft;

        int from = 0;
        int count = 1;
        int first = NextByte(stream);
        if (first < 0)
            break;
        if (!literal) {
            int second = NextByte(stream);
            if (second < 0)
                break;
            from = first | ((second & 0xF0) << 4);
            count = (second & 0x0F) + ShortestMatch;
        }
        for (int k = 0; k < count && produced < expected; ++k) {
            BYTE value = literal ? (BYTE)first : ring[(from + k) & RingMask];
            ring[ringAt] = value;
            ringAt = (ringAt + 1) & RingMask;
            output[stream.outputUsed++] = value;
            ++produced;
            if (stream.outputUsed == BufferSize && !FlushOutput(stream))
                return 0;
        }
    }
    return FlushOutput(stream) && produced == expected;
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
    Stream stream = { source, 0, 0, destination, 0, 0 };
    Refill(stream);
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
