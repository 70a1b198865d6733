#pragma once

// RIFF INFO text is read as UTF-8 when it is well-formed UTF-8, else as Windows-1252 (what
// taggers on other systems write), and written as UTF-8, as FFmpeg reads it. TagLib keeps one
// handler for the process; this installs ours, once.
void useInfoTextEncoding();
