"""The LZ compressed format (SZDD, method A), as the setup's expander reads
it: reading a stored file as a stream, and storing one compressed with the
build's own encoder (tools/szdd), whose optimal parse makes smaller files
than mscompress in the same format."""
import io
import os
import shutil
import subprocess

SIGNATURE = b"SZDD\x88\xf0\x27\x33"
HEADER_LENGTH = 14
METHOD_A = 0x41
RING_SIZE = 4096
RING_START = RING_SIZE - 16
BLOCK = 1 << 16


def is_compressed_data(head):
    """As the setup decides: a whole header that starts with the signature.
    Anything else, "SZDD" or not, is copied as it is."""
    return len(head) >= HEADER_LENGTH and head[:len(SIGNATURE)] == SIGNATURE


def expanded_length(head, stored_size):
    """What the setup writes for a stored file whose first bytes are head."""
    if is_compressed_data(head):
        return int.from_bytes(head[10:14], "little")
    return stored_size


def expand(stream, sink, limit=None):
    """Feeds sink the bytes that the setup's copy makes of the stored file
    read from stream, in blocks, with bounded memory. Returns "" when the
    copy arrives whole, else the damage. The reading is the setup's own: the
    length in the header decides, extra data is ignored, and a data stream
    that ends before that length fails. With limit, stops after that many
    expanded bytes."""
    data = b""
    while len(data) < HEADER_LENGTH:
        block = stream.read(BLOCK)
        if not block:
            break
        data += block
    if not is_compressed_data(data):
        done = 0
        while data and (limit is None or done < limit):
            part = data if limit is None else data[:limit - done]
            sink(part)
            done += len(part)
            data = stream.read(BLOCK)
        return ""
    if data[8] != METHOD_A:
        return "compressed file with an unknown method %r" % chr(data[8])
    length = int.from_bytes(data[10:14], "little")
    end = length if limit is None else min(length, limit)
    # The window: the ring's initial blanks, then every byte written. Bytes
    # from pending on are not handed to sink yet; once handed on, only the
    # last RING_SIZE are kept, all a reference reaches.
    out = bytearray(b" " * RING_SIZE)
    pending = RING_SIZE
    written = 0
    at = HEADER_LENGTH
    ended = False
    while written < end:
        if len(data) - at < 17 and not ended:  # a flag byte and eight references
            block = stream.read(BLOCK)
            ended = not block
            data, at = data[at:] + block, 0
        if at >= len(data):
            break
        flags = data[at]
        at += 1
        for bit in range(8):
            if written >= end or at >= len(data):
                break
            if flags >> bit & 1:
                out.append(data[at])
                at += 1
                written += 1
                continue
            if at + 1 >= len(data):
                at = len(data)
                break
            low, high = data[at], data[at + 1]
            at += 2
            ring_from = low | (high & 0xF0) << 4
            count = min((high & 0x0F) + 3, end - written)
            ring_at = (RING_START + written) % RING_SIZE
            start = len(out) - ((ring_at - ring_from - 1) % RING_SIZE + 1)
            if start + count <= len(out):
                out += out[start:start + count]
            else:
                for i in range(count):
                    out.append(out[start + i])
            written += count
        if len(out) - pending >= BLOCK:
            sink(bytes(out[pending:]))
            del out[:len(out) - RING_SIZE]
            pending = len(out)
    if len(out) > pending:
        sink(bytes(out[pending:]))
    if written < end:
        return "compressed data ends early (%d of %d bytes)" % (written, length)
    return ""


def expand_bytes(data):
    """expand() for bytes in memory: (bytes, "") or (None, the damage)."""
    parts = []
    damage = expand(io.BytesIO(data), parts.append)
    return (None, damage) if damage else (b"".join(parts), "")


# The encoder, built for the build host with the setup (CMake target
# szdd_encoder); the build and scripts/make-medium.sh name it.
ENCODER_VARIABLE = "NL_SZDD_ENCODER"


def encoder():
    path = os.environ.get(ENCODER_VARIABLE, "")
    if not os.path.isfile(path):
        raise RuntimeError("%s=%s: no LZ encoder there; build the target szdd_encoder (scripts/build.sh) "
                           "and name its program" % (ENCODER_VARIABLE, path))
    return path


def compress(path, work):
    """Stores path compressed under its own name when that makes it smaller,
    written in a folder of its own so that no product name is overwritten."""
    os.mkdir(work)
    packed = os.path.join(work, "file")
    result = subprocess.run([encoder(), path, packed], stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                            check=False)
    if result.returncode:
        raise RuntimeError(result.stdout.decode("utf-8", "replace").strip() or "%s: not compressed" % path)
    if os.path.getsize(packed) < os.path.getsize(path):
        os.replace(packed, path)
    shutil.rmtree(work)
