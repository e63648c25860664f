# SPDX-License-Identifier: MIT
# Writes OUT, the catalogue IN without the context NAME. The regular-expression engine's error
# messages are never shown by this program, and embedded they look like a copy of that engine.
file(READ "${IN}" ts)
string(FIND "${ts}" "<name>${NAME}</name>" at)
if(at GREATER -1)
    string(SUBSTRING "${ts}" 0 ${at} head)
    string(FIND "${head}" "<context>" start REVERSE)
    string(SUBSTRING "${ts}" ${at} -1 tail)
    string(FIND "${tail}" "</context>" end)
    math(EXPR end "${at} + ${end} + 10")
    string(SUBSTRING "${ts}" 0 ${start} before)
    string(SUBSTRING "${ts}" ${end} -1 after)
    set(ts "${before}${after}")
endif()
file(WRITE "${OUT}" "${ts}")
