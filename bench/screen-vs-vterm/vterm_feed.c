/* Feeds a file to libvterm's screen layer N times, in 4096-byte pieces as
 * tarnex-screen --bench does, keeping 476 rows of scroll-back as a 500-row
 * buffer with a 24-row page would, and prints "MB/s <number>". */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <vterm.h>

enum { ROWS = 24, COLS = 80, KEEP = 500 - ROWS, CHUNK = 4096 };

static VTermScreenCell history[KEEP][COLS];
static int historyNext;

static int pushLine(int cols, const VTermScreenCell *cells, void *user)
{
    (void)user;
    memcpy(history[historyNext], cells, sizeof(VTermScreenCell) * (cols < COLS ? cols : COLS));
    historyNext = (historyNext + 1) % KEEP;
    return 1;
}

int main(int argc, char **argv)
{
    if (argc != 3) {
        fprintf(stderr, "usage: vterm-feed FILE N\n");
        return 2;
    }
    FILE *f = fopen(argv[1], "rb");
    if (!f) {
        perror(argv[1]);
        return 2;
    }
    fseek(f, 0, SEEK_END);
    long size = ftell(f);
    fseek(f, 0, SEEK_SET);
    char *data = malloc(size ? size : 1);
    if (!data || fread(data, 1, size, f) != (size_t)size) {
        fprintf(stderr, "cannot read %s\n", argv[1]);
        return 2;
    }
    fclose(f);
    int times = atoi(argv[2]);

    VTerm *vt = vterm_new(ROWS, COLS);
    vterm_set_utf8(vt, 0);
    VTermScreen *screen = vterm_obtain_screen(vt);
    static VTermScreenCallbacks callbacks = {.sb_pushline = pushLine};
    vterm_screen_set_callbacks(screen, &callbacks, NULL);
    vterm_screen_reset(screen, 1);

    struct timespec t0, t1;
    clock_gettime(CLOCK_MONOTONIC, &t0);
    for (int k = 0; k < times; ++k) {
        for (long at = 0; at < size; at += CHUNK)
            vterm_input_write(vt, data + at, (size - at) < CHUNK ? (size_t)(size - at) : CHUNK);
    }
    clock_gettime(CLOCK_MONOTONIC, &t1);
    double seconds = (t1.tv_sec - t0.tv_sec) + (t1.tv_nsec - t0.tv_nsec) / 1e9;
    printf("MB/s %.1f\n", (double)size * times / 1e6 / seconds);
    vterm_free(vt);
    free(data);
    return 0;
}
