#!/usr/bin/env python3
"""The far end of a serial line for the Windows port's test under Wine: a pseudo-terminal whose
every byte comes straight back. Makes a link at the given path to the terminal and runs until
killed.   pty_echo.py <link>

A pseudo-terminal cannot keep parity: a terminal-settings call whose only change is even parity
is refused (EINVAL), and Wine's SetCommState fails with it. Wine sets input parity checking
(INPCK) together with parity, so after a first opening the next one changes nothing else and is
refused. While the line is idle this end clears INPCK again, so every opening has something the
terminal can take."""
import os
import pty
import select
import sys
import termios
import tty

link = sys.argv[1]
master, slave = pty.openpty()
tty.setraw(slave)  # no echo, no line editing, every byte value passes
# The terminal side stays open here too, so the line does not hang up between two openings.
if os.path.lexists(link):
    os.unlink(link)
os.symlink(os.ttyname(slave), link)
print(os.ttyname(slave), flush=True)
while True:
    ready, _, _ = select.select([master], [], [], 0.005)
    if not ready:
        attributes = termios.tcgetattr(slave)
        if attributes[0] & termios.INPCK:
            attributes[0] &= ~termios.INPCK
            termios.tcsetattr(slave, termios.TCSANOW, attributes)
        continue
    data = os.read(master, 4096)
    if not data:
        break
    os.write(master, data)
