/* SPDX-License-Identifier: MIT */
/* The least a host can do to read every binding of the printer into a file, or to
 * bind every item to footer 0, on a serial device: the yardstick of kalvero-cli's
 * own speed in bench/cli_bench.sh. No identification, no checks beyond the framing.
 *   minimal_host DEVICE read FILE | erase */
#include <fcntl.h>
#include <poll.h>
#include <stdio.h>
#include <string.h>
#include <termios.h>
#include <unistd.h>

static int port;

static int take(unsigned char *bytes, int count) {
    int got = 0;
    while (got < count) {
        struct pollfd ready = {port, POLLIN, 0};
        if (poll(&ready, 1, 500) != 1) {
            return -1;
        }
        const ssize_t n = read(port, bytes + got, (size_t)(count - got));
        if (n <= 0) {
            return -1;
        }
        got += (int)n;
    }
    return 0;
}

/* Command byte, ACK, data, then the answer bytes. */
static int exchange(unsigned char command, const unsigned char *data, int sent,
                    unsigned char *answer, int count) {
    unsigned char ack = 0;
    if (write(port, &command, 1) != 1 || take(&ack, 1) != 0 || ack != 0x06 ||
        write(port, data, (size_t)sent) != sent) {
        return -1;
    }
    return take(answer, count);
}

int main(int argc, char **argv) {
    if (argc < 3) {
        fprintf(stderr, "usage: minimal_host DEVICE read FILE | erase\n");
        return 2;
    }
    port = open(argv[1], O_RDWR | O_NOCTTY);
    struct termios line;
    if (port < 0 || tcgetattr(port, &line) != 0) {
        perror(argv[1]);
        return 1;
    }
    cfmakeraw(&line);
    cfsetspeed(&line, B9600);
    tcsetattr(port, TCSANOW, &line);
    const int reading = strcmp(argv[2], "read") == 0;
    FILE *out = reading && argc > 3 ? fopen(argv[3], "wb") : NULL;
    if (reading && out == NULL) {
        perror("output");
        return 1;
    }
    if (out != NULL) {
        fputs("#\r\n#\r\n#\r\n", out);
    }
    for (int plu = 1; plu <= 9983; ++plu) {
        unsigned char data[3] = {(unsigned char)(plu & 0xFF), (unsigned char)(plu >> 8), 0};
        unsigned char answer[3];
        /* Read: echo, status, footer. Write: echo, status. */
        if (exchange(reading ? 0x1F : 0x1E, data, reading ? 2 : 3, answer, reading ? 3 : 2) != 0) {
            fprintf(stderr, "PLU %d: no answer\n", plu);
            return 1;
        }
        if (out != NULL) {
            fprintf(out, "$%04d\t%03u\r\n", plu, answer[2]);
        }
    }
    return out != NULL && fclose(out) != 0;
}
