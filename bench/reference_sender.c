/* The best a sender can do on this machine: one 50-byte write every 333 ms on an absolute monotonic schedule.
 *   reference_sender PATH [COUNT]    writes COUNT packets (without one: until it is ended) to PATH, a pseudo-terminal's
 *                                    slave, the first at once. */
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

int main(int argc, char** argv)
{
    if (argc < 2 || argc > 3) {
        fprintf(stderr, "usage: reference_sender PATH [COUNT]\n");
        return 2;
    }
    const int fd = open(argv[1], O_WRONLY | O_NOCTTY);
    struct termios raw;
    if (fd < 0 || tcgetattr(fd, &raw) != 0)
        return 1;
    cfmakeraw(&raw); /* no line-end translation: every byte goes out as written */
    tcsetattr(fd, TCSANOW, &raw);
    unsigned char packet[50] = {0x29};
    unsigned char sum = 0x29;
    for (int i = 1; i < 49; ++i)
        sum += (packet[i] = (unsigned char)(' ' + i));
    packet[49] = (unsigned char)-sum;
    struct timespec deadline;
    clock_gettime(CLOCK_MONOTONIC, &deadline);
    for (long n = argc > 2 ? atol(argv[2]) : -1; n != 0; --n) {
        clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &deadline, NULL);
        if (write(fd, packet, sizeof packet) != (ssize_t)sizeof packet)
            return 1;
        deadline.tv_nsec += 333000000L;
        if (deadline.tv_nsec >= 1000000000L) {
            deadline.tv_nsec -= 1000000000L;
            ++deadline.tv_sec;
        }
    }
    return 0;
}
