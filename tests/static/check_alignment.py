#!/usr/bin/env python3
"""No misaligned SSE access to the stack in the shipped 32-bit programs.

32-bit Windows promises a function only 4-byte stack alignment; hosts built
by Delphi or MSVC give no more. An SSE instruction whose memory operand must
be 16-byte aligned (movaps, movdqa, and every legacy SSE operation on a
128-bit memory operand, such as andps or por) faults when that operand is a
stack slot of a function that did not align its own stack. Emulators do not
fault on all of them (qemu lets andps pass), so this reads the machine code.

Code is what the link map places from input sections named .text; the
tables the linker also puts into the .text section (exception tables,
constructor lists) are data. A function is a range of the .eh_frame (the
unwinder's record of every compiled function); code outside every range
counts as one function up to the next range. An access is safe only after
the function has aligned the stack (an `and $-16,%esp` or stricter) in an
earlier instruction.

usage: check_alignment.py BINARY MAP [BINARY MAP ...]
MAP is the link map the build wrote for BINARY (-Wl,-Map).
Prints each access that breaks the rule, with its address, and a summary;
exit status 1 when there is any. Before that it checks itself on planted
code, so that a check that finds nothing cannot pass for clean binaries.
"""
import os
import re
import struct
import subprocess
import sys
import tempfile

OBJDUMP = "i686-w64-mingw32-objdump"
OBJCOPY = "i686-w64-mingw32-objcopy"

# Always aligned: the aligned moves (also in their VEX forms).
ALIGNED_MOVES = {"movaps", "movapd", "movdqa", "movntps", "movntpd", "movntdq", "movntdqa"}
# Legacy SSE instructions whose memory operand may sit anywhere: the
# unaligned moves, and loads or stores narrower than 16 bytes.
UNALIGNED_OK = {
    "movups", "movupd", "movdqu", "lddqu", "movq", "movd", "movlps", "movhps", "movlpd", "movhpd",
    "movddup", "movss", "movsd", "pinsrb", "pinsrw", "pinsrd", "pextrb", "pextrw", "pextrd",
    "extractps", "insertps", "pcmpestri", "pcmpestrm", "pcmpistri", "pcmpistrm",
    "cvtps2pd", "cvtdq2pd", "cvtpi2ps", "cvtpi2pd", "cvtps2pi", "cvttps2pi", "cvtpd2pi", "cvttpd2pi",
}
INSTRUCTION = re.compile(r"^\s*([0-9a-f]+):\s+(?:[0-9a-f]{2} )*\s*([a-z][a-z0-9.]*)\s*(.*)$")
STACK_OPERAND = re.compile(r"\((%esp|%ebp)[,)]")
ALIGN_STACK = re.compile(r"^\$0xf+[0-9a-f]0,%esp$")


def needs_alignment(mnemonic, operands):
    """True for an SSE instruction whose memory operand must be 16-byte aligned."""
    if "%xmm" not in operands or "(" not in operands:
        return False
    if mnemonic.startswith("v"):
        return mnemonic[1:] in ALIGNED_MOVES  # VEX forms need it only for these
    if mnemonic in ALIGNED_MOVES:
        return True
    if mnemonic in UNALIGNED_OK or re.match(r"pmov[sz]x", mnemonic):
        return False
    # Scalar operations (addss, cvtsi2sdl, comisd, ...) read 4 or 8 bytes.
    if not mnemonic.startswith("p") and re.search(r"(ss|sd)[lq]?$", mnemonic):
        return False
    return True


def aligns_stack(mnemonic, operands):
    return mnemonic == "and" and ALIGN_STACK.match(operands.replace(" ", "")) is not None


def section(path, name):
    """(virtual address, bytes) of a section of a PE file, or (0, b'')."""
    headers = subprocess.run([OBJDUMP, "-h", path], capture_output=True, text=True, check=True).stdout
    match = re.search(r"^\s*\d+\s+" + re.escape(name) + r"\s+([0-9a-f]+)\s+([0-9a-f]+)", headers, re.M)
    if not match:
        return 0, b""
    with tempfile.TemporaryDirectory() as folder:
        out = os.path.join(folder, "section.bin")
        subprocess.run([OBJCOPY, "-O", "binary", "--only-section=" + name, path, out], check=True)
        data = open(out, "rb").read()
    return int(match.group(2), 16), data[:int(match.group(1), 16)]


def uleb(data, pos):
    value = shift = 0
    while True:
        byte = data[pos]
        pos += 1
        value |= (byte & 0x7F) << shift
        shift += 7
        if byte < 0x80:
            return value, pos


def read_pointer(data, pos, encoding, address):
    """A pointer of the given DW_EH_PE encoding at data[pos]; (value, next)."""
    form = encoding & 0x0F
    if form in (0x00, 0x03, 0x0B):
        value = struct.unpack_from("<i" if form == 0x0B else "<I", data, pos)[0]
        size = 4
    elif form in (0x02, 0x0A):
        value = struct.unpack_from("<h" if form == 0x0A else "<H", data, pos)[0]
        size = 2
    else:
        raise ValueError("pointer encoding 0x%02x is not read here" % encoding)
    if encoding & 0x70 == 0x10:
        value += address + pos
    return value & 0xFFFFFFFF, pos + size


def function_ranges(path):
    """[(start, end)] of every FDE in the file's .eh_frame, sorted."""
    # A stripped image keeps only the first 8 letters of a section name.
    base, data = section(path, ".eh_frame")
    if not data:
        base, data = section(path, ".eh_fram")
    encodings = {}
    ranges = []
    pos = 0
    while pos + 4 <= len(data):
        length = struct.unpack_from("<I", data, pos)[0]
        if length == 0:
            break
        if length == 0xFFFFFFFF:
            raise ValueError("64-bit .eh_frame records are not read here")
        start = pos + 4
        cie_id = struct.unpack_from("<I", data, start)[0]
        if cie_id == 0:
            body = start + 5
            end = data.index(b"\0", body)
            augmentation = data[body:end].decode("ascii")
            body = end + 1
            _, body = uleb(data, body)  # code alignment
            _, body = uleb(data, body)  # data alignment (signed; only skipped)
            body += 1                   # return register
            encoding = 0x00
            if augmentation.startswith("z"):
                _, body = uleb(data, body)
                for letter in augmentation[1:]:
                    if letter == "R":
                        encoding = data[body]
                        body += 1
                    elif letter == "L":
                        body += 1
                    elif letter == "P":
                        personality = data[body]
                        _, body = read_pointer(data, body + 1, personality, base)
                    else:
                        break
            encodings[pos] = encoding
        else:
            encoding = encodings.get(start - cie_id, 0x00)
            begin, body = read_pointer(data, start + 4, encoding, base)
            size, _ = read_pointer(data, body, encoding & 0x0F, base)
            if size:
                ranges.append((begin, begin + size))
        pos = start + length
    return sorted(ranges)


def code_ranges(map_path):
    """[(start, end)] of the input sections named .text* in the output .text."""
    lines = open(map_path, encoding="utf-8", errors="replace").read().splitlines()
    ranges = []
    in_text = False
    for number, line in enumerate(lines):
        output = re.match(r"^(\.\S+)\s", line)
        if output:
            in_text = output.group(1) == ".text"
            continue
        name = re.match(r"^ (\.text(?:[.$]\S*)?)(?:\s+(0x[0-9a-f]+)\s+(0x[0-9a-f]+))?", line)
        if not in_text or not name:
            continue
        place = name.groups()[1:]
        if place[0] is None and number + 1 < len(lines):  # a long name puts them on the next line
            place = re.match(r"^\s+(0x[0-9a-f]+)\s+(0x[0-9a-f]+)", lines[number + 1]).groups()
        start, size = int(place[0], 16), int(place[1], 16)
        if size:
            ranges.append((start, start + size))
    return sorted(ranges)


def findings(path, map_path):
    """([(address, instruction)] of aligned SSE accesses to unaligned stacks,
    the number of functions with unwind records)."""
    code = code_ranges(map_path)
    if not code:
        raise ValueError("%s names no code in .text" % map_path)
    ranges = function_ranges(path)
    starts = [start for start, _ in ranges]
    dump = subprocess.run([OBJDUMP, "-d", "-w", path], capture_output=True, text=True, check=True).stdout
    found = []
    function = None
    aligned = False
    index = 0
    for line in dump.splitlines():
        match = INSTRUCTION.match(line)
        if not match:
            continue
        address = int(match.group(1), 16)
        if not any(start <= address < end for start, end in code):
            function = None
            continue
        mnemonic, operands = match.group(2), match.group(3).split("#")[0].strip()
        # Which function: the FDE that holds it, else the gap after one.
        while index < len(ranges) and ranges[index][1] <= address:
            index += 1
        inside = index < len(ranges) and ranges[index][0] <= address
        current = ("fde", starts[index]) if inside else ("gap", index)
        if current != function:
            function = current
            aligned = False
        if needs_alignment(mnemonic, operands) and STACK_OPERAND.search(operands) and not aligned:
            found.append((address, "%s %s" % (mnemonic, operands)))
        if aligns_stack(mnemonic, operands):
            aligned = True
    return found, len(ranges)


PLANTED = r"""
    .text
    .globl _Unaligned
_Unaligned:                       # a stack slot read by andps, stack never aligned
    .cfi_startproc
    push %ebp
    .cfi_def_cfa_offset 8
    mov %esp, %ebp
    sub $0x58, %esp
    andps -0x48(%ebp), %xmm0
    leave
    ret
    .cfi_endproc
    .globl _Aligned
_Aligned:                         # the same after aligning, and unaligned moves
    .cfi_startproc
    push %ebp
    .cfi_def_cfa_offset 8
    mov %esp, %ebp
    sub $4, %esp
    movups %xmm0, (%esp)
    and $-16, %esp
    sub $0x40, %esp
    movaps %xmm0, 0x10(%esp)
    por 0x20(%esp), %xmm1
    addss 4(%ebp), %xmm1
    leave
    ret
    .cfi_endproc
    .globl _NoRecord
_NoRecord:                        # outside every unwind record
    movdqa %xmm0, 0x10(%esp)
    ret
    .globl _LaterFunction
_LaterFunction:                   # the alignment of another function does not count
    .cfi_startproc
    pxor 0x10(%esp), %xmm2
    ret
    .cfi_endproc
    .section .gcc_except_table,"r"
    .byte 0x0f, 0x2b, 0x5d, 0x00  # data that reads as movntps %xmm3,0x0(%ebp)
"""


def planted_faults_found():
    """The check must report exactly the planted misaligned accesses."""
    with tempfile.TemporaryDirectory() as folder:
        source = os.path.join(folder, "planted.s")
        binary = os.path.join(folder, "planted.dll")
        link_map = os.path.join(folder, "planted.map")
        open(source, "w").write(PLANTED)
        subprocess.run(["i686-w64-mingw32-gcc", "-shared", "-nostdlib", "-Wl,--entry,0", "-Wl,-Map=" + link_map,
                        "-o", binary, source], check=True)
        got = [text for _, text in findings(binary, link_map)[0]]
    want = ["andps -0x48(%ebp),%xmm0", "movdqa %xmm0,0x10(%esp)", "pxor 0x10(%esp),%xmm2"]
    if got != want:
        print("the check found %s in the planted code, want %s" % (got, want))
        return False
    return True


def main(paths):
    if not planted_faults_found():
        print("FAIL: the check misses the faults planted in a small binary")
        return 1
    total = 0
    for path, link_map in zip(paths[0::2], paths[1::2]):
        found, ranges = findings(path, link_map)
        for address, text in found:
            print("FAIL: %s: 0x%08x: %s reads or writes a stack slot that may be misaligned" %
                  (os.path.basename(path), address, text))
        print("%s: %d functions with unwind records, %d misaligned SSE stack accesses" %
              (os.path.basename(path), ranges, len(found)))
        total += len(found)
    return 1 if total else 0


if __name__ == "__main__":
    if len(sys.argv) < 3 or len(sys.argv) % 2 == 0:
        print(__doc__)
        sys.exit(2)
    sys.exit(main(sys.argv[1:]))
