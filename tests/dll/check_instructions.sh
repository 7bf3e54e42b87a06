#!/usr/bin/env bash
# check_instructions.sh OBJDUMP DLL MAP KERNEL_FILES
#
# Fails if the 32-bit DLL holds an instruction that a processor it may run on lacks. The driver
# runs on every processor from the Pentium up; only a kernel variant may use the instructions of
# the processors that choose it:
#   MMX files   MMX                                   (also chosen without conditional moves)
#   AMD files   MMX, AMD's MMX extensions, P6 integer instructions; no xmm register
#   SSE files   the above and SSE (packed/scalar single on xmm registers)
#   SSE2 files  the above and SSE2
#   AVX2 files  the above, SSE3 to SSE4.2, AVX, AVX2 and XGETBV (bound only where CPUID and the
#               operating system report AVX2)
# Everything else (driver code, the C runtime, libgcc) is Pentium code: no conditional moves,
# no P6 long NOPs, no MMX, SSE or later. Nothing may use 3DNow!, FMA, F16C, BMI, AVX-512 or the
# other extensions an AVX2 processor may lack. The spin-wait hint pause is allowed everywhere:
# it is rep nop, a plain NOP to processors before it.
#
# MAP is the linker map, which tells which object each function's code came from; KERNEL_FILES
# lists "FAMILY file" lines. A kernel file's own .text is its family's; code that a kernel
# object contributes through a shared (COMDAT) section may be called from anywhere, so it is
# Pentium code. Prints every function that breaks its rule with the first instruction that does.
set -euo pipefail
objdump=$1 dll=$2 map=$3 kernels=$4

"$objdump" -d -C --no-show-raw-insn "$dll" | LC_ALL=C awk -v map="$map" -v kernels="$kernels" '
function hex(text,    value, i) {
    sub(/^0x/, "", text)
    value = 0
    for (i = 1; i <= length(text); i++) value = value * 16 + index("0123456789abcdef", substr(tolower(text), i, 1)) - 1
    return value
}

# Input sections of .text from the linker map: start, end, owning object and its family.
function read_map(    line, name, fields, count, object) {
    while ((getline line < map) > 0) {
        if (line ~ /^ \.text[^ ]*$/) { name = substr(line, 2); continue }
        count = split(line, fields, " ")
        if (fields[1] ~ /^\.text/) { name = fields[1]; shift = 1 }
        else if (name != "" && fields[1] ~ /^0x/) { shift = 0 }
        else { name = ""; continue }
        if (count < 3 + shift || fields[1 + shift] !~ /^0x/ || fields[2 + shift] !~ /^0x/) { name = ""; continue }
        object = fields[3 + shift]
        sub(/.*[\/(]/, "", object); sub(/\)$/, "", object); sub(/\.obj$/, "", object)
        sections++
        start[sections] = hex(fields[1 + shift])
        finish[sections] = start[sections] + hex(fields[2 + shift])
        owner[sections] = object
        family_of[sections] = (name == ".text" && object in kernel_family) ? kernel_family[object] : "PENTIUM"
        name = ""
    }
}

function read_kernels(    line, fields) {
    while ((getline line < kernels) > 0) {
        split(line, fields, " ")
        kernel_family[fields[2]] = fields[1]
    }
}

function section_at(address,    i) {
    for (i = 1; i <= sections; i++) if (address >= start[i] && address < finish[i]) return i
    return 0
}

# The instruction-set group an instruction needs: P6, MMX, MMXEXT, 3DNOW, SSE, SSE2, AVX2 (with
# SSE3 to SSE4.2, AVX and XGETBV), LATER or "".
function group_of(mnemonic, operands) {
    if (operands ~ /%zmm|%k[0-7]/ || mnemonic ~ /^v?(lzcnt|tzcnt|movbe|rdrand|rdseed|andn|bextr|blsi|blsmsk|blsr|bzhi|mulx|pdep|pext|rorx|sarx|shlx|shrx|aes|pclmul|sha|gf2p8|fn?madd|fn?msub|fmaddsub|fmsubadd|cvtph2ps|cvtps2ph)/) return "LATER"
    if (operands ~ /%ymm/ || (mnemonic ~ /^v/ && mnemonic !~ /^ver[rw]$/) || mnemonic ~ /^(xgetbv|lddqu|movddup|movs[hl]dup|hadd|hsub|addsub|fisttp|pshufb|palignr|phadd|phsub|pmaddubsw|pmulhrsw|psign|pabs|pblend|blend|pmuldq|pmulld|pmin(sb|sd|uw|ud)$|pmax(sb|sd|uw|ud)$|pmovzx|pmovsx|ptest|pinsr[bdq]|pextr[bdq]|round|dpp|pcmpeqq|pcmpgtq|packusdw|mpsadbw|phminposuw|insertps|extractps|movntdqa|pcmp[ei]str|crc32|popcnt)/) return "AVX2"
    if (mnemonic ~ /^(femms|pf|pi2f|pavgusb|pmulhrw|pswapd|prefetchw?$)/) return "3DNOW"
    if (operands ~ /%xmm/) {
        if (mnemonic ~ /(ps|ss)$/ || mnemonic ~ /^(cvtps2pi|cvttps2pi|cvtss2si|cvttss2si|ucomiss|comiss)/) return "SSE"
        return "SSE2"
    }
    if (mnemonic ~ /^(ldmxcsr|stmxcsr)$/) return "SSE"
    if (mnemonic ~ /^(lfence|mfence|clflush|movnti)$/) return "SSE2"
    if (mnemonic ~ /^(pshufw|pavg[bw]|pmulhuw|pextrw|pinsrw|pmovmskb|pminub|pmaxub|pminsw|pmaxsw|psadbw|movntq|maskmovq|sfence|prefetchnta|prefetcht[0-2])$/) return "MMXEXT"
    if (operands ~ /%mm[0-7]/ || mnemonic == "emms") return "MMX"
    if (mnemonic ~ /^(cmov|fcmov|fcomip?$|fucomip?$|nopl|nopw|sysenter|sysexit|rdpmc)/) return "P6"
    return ""
}

function allowed(family, group) {
    if (group == "") return 1
    if (family == "MMX") return group == "MMX"
    if (family == "AMD") return group ~ /^(MMX|MMXEXT|P6)$/
    if (family == "SSE") return group ~ /^(MMX|MMXEXT|P6|SSE)$/
    if (family == "SSE2") return group ~ /^(MMX|MMXEXT|P6|SSE|SSE2)$/
    if (family == "AVX2") return group ~ /^(MMX|MMXEXT|P6|SSE|SSE2|AVX2)$/
    return 0
}

BEGIN { read_kernels(); read_map(); if (sections == 0) { print "no .text sections in " map; exit 2 } }

/^[0-9a-f]+ <.*>:$/ {
    function_name = substr($0, index($0, "<") + 1); sub(/>:$/, "", function_name)
    section = section_at(hex($1))
    family = section ? family_of[section] : "PENTIUM"
    object = section ? owner[section] : "?"
    reported = 0
    functions++
    next
}

/^ *[0-9a-f]+:\t/ && !reported {
    split($0, parts, "\t")
    instruction = parts[2]
    mnemonic = instruction; sub(/ .*/, "", mnemonic)
    operands = substr(instruction, length(mnemonic) + 1)
    if (mnemonic ~ /^(lock|rep|repz|repnz|data16|addr16|ds|cs|es|ss|fs|gs)$/) {
        mnemonic = operands; sub(/^ +/, "", mnemonic); sub(/ .*/, "", mnemonic)
    }
    group = group_of(mnemonic, operands)
    if (!allowed(family, group)) {
        printf "%s [%s, %s code]: %s instruction: %s\n", function_name, object, family, group, instruction
        reported = 1
        failures++
    }
}

END {
    if (failures) { printf "%d of %d functions use instructions their processors may lack\n", failures, functions; exit 1 }
    printf "%d functions checked: each uses only the instructions of the processors that run it\n", functions
}'
