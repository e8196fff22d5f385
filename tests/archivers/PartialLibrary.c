/* A library that keeps the calling convention only in part: Unlha without its owner
   registration (allowed), Zip without ZipGetVersion (not allowed). */
#include "archivers/KryUnPackDec.h"

#include <stdio.h>

int Unlha(void *window, const char *commandLine, char *output, uint32_t outputSize)
{
    (void)window;
    /* Longer than the buffer, to show the text is cut to the size the host gives. */
    snprintf(output, outputSize, "%s|%0300d", commandLine, 7);
    return 5;
}

uint16_t UnlhaGetVersion(void) { return 42; }

int Zip(void *window, const char *commandLine, char *output, uint32_t outputSize)
{
    (void)window;
    (void)commandLine;
    (void)output;
    (void)outputSize;
    return 0;
}
