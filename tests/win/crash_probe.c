/* A program that crashes as a test program might: its run must end at
   once with the exception and its address in the output, not wait for a
   debugger or a dialog (tests/win/crash_report.sh). */
#include <stdio.h>

int main(void) {
    volatile int* nowhere = (volatile int*)16;
    printf("crash probe: writing to address 16\n");
    fflush(stdout);
    *nowhere = 1;
    printf("crash probe: still running\n");
    return 0;
}
