// wlpoke: the end-to-end run's hands on a Wayland desktop.
//   wlpoke input     reads commands on standard input, one a line, and answers "ok" for each
//                    once the compositor has it: "move X Y" (pointer to an output point),
//                    "down", "up" (left button); fake input only: "key CODE" (an evdev key,
//                    pressed and released), "hold CODE MS" (pressed for MS milliseconds).
//                    One client for the whole run: compositors that grant fake input grant it
//                    per client.
//   wlpoke activate COMMAND...
//                    shows a small window and, at the first key it is sent while focused,
//                    asks for an activation token and runs COMMAND with it in
//                    XDG_ACTIVATION_TOKEN. Says "focused" on standard output when it has
//                    the keyboard and "ended STATUS" when COMMAND has; keeps its window
//                    until it is ended.
#define _GNU_SOURCE
#include <linux/input-event-codes.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>
#include <wayland-client.h>

#include "fake-input-client-protocol.h"
#include "wlr-virtual-pointer-unstable-v1-client-protocol.h"
#include "xdg-activation-v1-client-protocol.h"
#include "xdg-shell-client-protocol.h"

static struct wl_compositor* compositor;
static struct wl_shm* shm;
static struct wl_seat* seat;
static struct xdg_wm_base* wm_base;
static struct xdg_activation_v1* activation;
static struct zwlr_virtual_pointer_manager_v1* pointer_manager;
static struct org_kde_kwin_fake_input* fake_input;
static struct wl_output* output;
static int output_width, output_height;

static void die(const char* what) {
    fprintf(stderr, "wlpoke: %s\n", what);
    exit(2);
}

static void output_mode(void* data, struct wl_output* o, uint32_t flags, int32_t w, int32_t h,
                        int32_t refresh) {
    (void)data, (void)o, (void)refresh;
    if (flags & WL_OUTPUT_MODE_CURRENT) output_width = w, output_height = h;
}
static void output_geometry(void* d, struct wl_output* o, int32_t x, int32_t y, int32_t pw,
                            int32_t ph, int32_t sp, const char* make, const char* model,
                            int32_t t) {
    (void)d, (void)o, (void)x, (void)y, (void)pw, (void)ph, (void)sp, (void)make, (void)model,
        (void)t;
}
static void output_done(void* d, struct wl_output* o) { (void)d, (void)o; }
static void output_scale(void* d, struct wl_output* o, int32_t s) { (void)d, (void)o, (void)s; }
// Bound at versions that send no later events.
static const struct wl_output_listener output_listener = {
    .geometry = output_geometry, .mode = output_mode, .done = output_done, .scale = output_scale};

static void global(void* data, struct wl_registry* registry, uint32_t name, const char* interface,
                   uint32_t version) {
    (void)data;
    if (strcmp(interface, wl_compositor_interface.name) == 0) {
        compositor = wl_registry_bind(registry, name, &wl_compositor_interface, 4);
    } else if (strcmp(interface, wl_shm_interface.name) == 0) {
        shm = wl_registry_bind(registry, name, &wl_shm_interface, 1);
    } else if (strcmp(interface, wl_seat_interface.name) == 0 && !seat) {
        seat = wl_registry_bind(registry, name, &wl_seat_interface, 1);
    } else if (strcmp(interface, xdg_wm_base_interface.name) == 0) {
        wm_base = wl_registry_bind(registry, name, &xdg_wm_base_interface, 1);
    } else if (strcmp(interface, xdg_activation_v1_interface.name) == 0) {
        activation = wl_registry_bind(registry, name, &xdg_activation_v1_interface, 1);
    } else if (strcmp(interface, zwlr_virtual_pointer_manager_v1_interface.name) == 0) {
        pointer_manager =
            wl_registry_bind(registry, name, &zwlr_virtual_pointer_manager_v1_interface, 1);
    } else if (strcmp(interface, org_kde_kwin_fake_input_interface.name) == 0) {
        fake_input = wl_registry_bind(registry, name, &org_kde_kwin_fake_input_interface,
                                      version < 4 ? version : 4);
    } else if (strcmp(interface, wl_output_interface.name) == 0 && !output) {
        output = wl_registry_bind(registry, name, &wl_output_interface, 2);
        wl_output_add_listener(output, &output_listener, NULL);
    }
}
static void global_remove(void* data, struct wl_registry* registry, uint32_t name) {
    (void)data, (void)registry, (void)name;
}
static const struct wl_registry_listener registry_listener = {global, global_remove};

static uint32_t now_ms(void) {
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return (uint32_t)(t.tv_sec * 1000 + t.tv_nsec / 1000000);
}

static int input(struct wl_display* display) {
    struct zwlr_virtual_pointer_v1* pointer = NULL;
    if (pointer_manager) {
        pointer = zwlr_virtual_pointer_manager_v1_create_virtual_pointer(pointer_manager, seat);
    } else if (fake_input) {
        org_kde_kwin_fake_input_authenticate(fake_input, "wlpoke", "end-to-end run");
    } else {
        die("the compositor offers no virtual pointer and no fake input");
    }
    wl_display_roundtrip(display);
    char line[128];
    while (fgets(line, sizeof line, stdin)) {
        int x, y, code, ms;
        char word[16];
        if (sscanf(line, "move %d %d", &x, &y) == 2) {
            if (pointer) {
                zwlr_virtual_pointer_v1_motion_absolute(pointer, now_ms(), x, y, output_width,
                                                        output_height);
                zwlr_virtual_pointer_v1_frame(pointer);
            } else {
                org_kde_kwin_fake_input_pointer_motion_absolute(
                    fake_input, wl_fixed_from_int(x), wl_fixed_from_int(y));
            }
        } else if (sscanf(line, "%15s", word) == 1 &&
                   (strcmp(word, "down") == 0 || strcmp(word, "up") == 0)) {
            const uint32_t state = strcmp(word, "down") == 0 ? WL_POINTER_BUTTON_STATE_PRESSED
                                                             : WL_POINTER_BUTTON_STATE_RELEASED;
            if (pointer) {
                zwlr_virtual_pointer_v1_button(pointer, now_ms(), BTN_LEFT, state);
                zwlr_virtual_pointer_v1_frame(pointer);
            } else {
                org_kde_kwin_fake_input_button(fake_input, BTN_LEFT, state);
            }
        } else if (fake_input && (sscanf(line, "key %d", &code) == 1 ||
                                  sscanf(line, "hold %d %d", &code, &ms) == 2)) {
            org_kde_kwin_fake_input_keyboard_key(fake_input, code, WL_KEYBOARD_KEY_STATE_PRESSED);
            wl_display_roundtrip(display);
            if (strncmp(line, "hold", 4) == 0) {
                const struct timespec held = {ms / 1000, ms % 1000 * 1000000L};
                nanosleep(&held, NULL);
            }
            org_kde_kwin_fake_input_keyboard_key(fake_input, code, WL_KEYBOARD_KEY_STATE_RELEASED);
        } else {
            fprintf(stderr, "wlpoke: cannot do: %s", line);
            return 2;
        }
        if (wl_display_roundtrip(display) < 0) die("the compositor went away");
        printf("ok\n");
        fflush(stdout);
    }
    return 0;
}

// The activating window: focused, it waits for a key, then asks for the token.
static struct wl_surface* surface;
static char** command;
static int command_status = -1;
static int configured;

static void token_done(void* data, struct xdg_activation_token_v1* token, const char* text) {
    (void)data;
    xdg_activation_token_v1_destroy(token);
    const pid_t child = fork();
    if (child == 0) {
        setenv("XDG_ACTIVATION_TOKEN", text, 1);
        execvp(command[0], command);
        _exit(127);
    }
    int status = 0;
    waitpid(child, &status, 0);
    command_status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}
static const struct xdg_activation_token_v1_listener token_listener = {token_done};

static void key(void* data, struct wl_keyboard* keyboard, uint32_t serial, uint32_t time,
                uint32_t code, uint32_t state) {
    (void)data, (void)keyboard, (void)time, (void)code;
    if (state != WL_KEYBOARD_KEY_STATE_PRESSED || command_status >= 0) return;
    struct xdg_activation_token_v1* token = xdg_activation_v1_get_activation_token(activation);
    xdg_activation_token_v1_add_listener(token, &token_listener, NULL);
    xdg_activation_token_v1_set_serial(token, serial, seat);
    xdg_activation_token_v1_set_surface(token, surface);
    xdg_activation_token_v1_set_app_id(token, "org.example.nibbly");
    xdg_activation_token_v1_commit(token);
}
static void keymap(void* d, struct wl_keyboard* k, uint32_t f, int32_t fd, uint32_t s) {
    (void)d, (void)k, (void)f, (void)s;
    close(fd);
}
// Said, so that a run knows when keys will reach this window.
static void enter(void* d, struct wl_keyboard* k, uint32_t s, struct wl_surface* w,
                  struct wl_array* a) {
    (void)d, (void)k, (void)s, (void)w, (void)a;
    printf("focused\n");
    fflush(stdout);
}
static void leave(void* d, struct wl_keyboard* k, uint32_t s, struct wl_surface* w) {
    (void)d, (void)k, (void)s, (void)w;
}
static void modifiers(void* d, struct wl_keyboard* k, uint32_t s, uint32_t a, uint32_t b,
                      uint32_t c, uint32_t g) {
    (void)d, (void)k, (void)s, (void)a, (void)b, (void)c, (void)g;
}
static const struct wl_keyboard_listener keyboard_listener = {
    .keymap = keymap, .enter = enter, .leave = leave, .key = key, .modifiers = modifiers};

static void ping(void* d, struct xdg_wm_base* base, uint32_t serial) {
    (void)d;
    xdg_wm_base_pong(base, serial);
}
static const struct xdg_wm_base_listener wm_base_listener = {ping};
static void surface_configure(void* d, struct xdg_surface* s, uint32_t serial) {
    (void)d;
    xdg_surface_ack_configure(s, serial);
    configured = 1;
}
static const struct xdg_surface_listener surface_listener = {surface_configure};
static void toplevel_configure(void* d, struct xdg_toplevel* t, int32_t w, int32_t h,
                               struct wl_array* s) {
    (void)d, (void)t, (void)w, (void)h, (void)s;
}
static void toplevel_close(void* d, struct xdg_toplevel* t) { (void)d, (void)t; }
static const struct xdg_toplevel_listener toplevel_listener = {.configure = toplevel_configure,
                                                               .close = toplevel_close};

static struct wl_buffer* grey_buffer(int width, int height) {
    const int stride = width * 4, size = stride * height;
    const int fd = memfd_create("wlpoke", MFD_CLOEXEC);
    if (fd < 0 || ftruncate(fd, size) != 0) die("no shared memory");
    uint32_t* pixels = mmap(NULL, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (pixels == MAP_FAILED) die("no shared memory");
    for (int i = 0; i < width * height; ++i) pixels[i] = 0xFF808080;
    munmap(pixels, size);
    struct wl_shm_pool* pool = wl_shm_create_pool(shm, fd, size);
    struct wl_buffer* buffer =
        wl_shm_pool_create_buffer(pool, 0, width, height, stride, WL_SHM_FORMAT_XRGB8888);
    wl_shm_pool_destroy(pool);
    close(fd);
    return buffer;
}

static int activate(struct wl_display* display) {
    if (!compositor || !shm || !seat || !wm_base || !activation) die("missing globals");
    xdg_wm_base_add_listener(wm_base, &wm_base_listener, NULL);
    wl_keyboard_add_listener(wl_seat_get_keyboard(seat), &keyboard_listener, NULL);
    surface = wl_compositor_create_surface(compositor);
    struct xdg_surface* xdg = xdg_wm_base_get_xdg_surface(wm_base, surface);
    xdg_surface_add_listener(xdg, &surface_listener, NULL);
    struct xdg_toplevel* toplevel = xdg_surface_get_toplevel(xdg);
    xdg_toplevel_add_listener(toplevel, &toplevel_listener, NULL);
    xdg_toplevel_set_title(toplevel, "wlpoke");
    xdg_toplevel_set_app_id(toplevel, "wlpoke");
    wl_surface_commit(surface);
    while (!configured)
        if (wl_display_dispatch(display) < 0) die("the compositor went away");
    wl_surface_attach(surface, grey_buffer(200, 100), 0, 0);
    wl_surface_commit(surface);
    while (command_status < 0)
        if (wl_display_dispatch(display) < 0) die("the compositor went away");
    // A launcher stays: mutter activates nothing by a token whose window has gone, and the
    // window the token is for may ask only after the command has ended.
    printf("ended %d\n", command_status);
    fflush(stdout);
    while (wl_display_dispatch(display) >= 0) continue;
    return command_status;
}

int main(int argc, char** argv) {
    if (argc < 2 || (strcmp(argv[1], "input") != 0 && strcmp(argv[1], "activate") != 0) ||
        (strcmp(argv[1], "activate") == 0 && argc < 3)) {
        fprintf(stderr, "usage: wlpoke input | wlpoke activate COMMAND...\n");
        return 2;
    }
    struct wl_display* display = wl_display_connect(NULL);
    if (!display) die("no Wayland display");
    struct wl_registry* registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &registry_listener, NULL);
    wl_display_roundtrip(display);
    wl_display_roundtrip(display);
    if (strcmp(argv[1], "input") == 0) return input(display);
    command = argv + 2;
    return activate(display);
}
