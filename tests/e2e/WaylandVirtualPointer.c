// Keeps a virtual pointer attached to the compositor's first seat until
// stdin closes or the process is killed, so the seat offers a pointer to
// clients and the compositor's own cursor commands reach them.
#include <wayland-client.h>

#include <stdio.h>
#include <string.h>

static const struct wl_interface virtualPointerInterface = {"zwlr_virtual_pointer_v1", 1, 0, NULL, 0, NULL};
static const struct wl_interface* createTypes[] = {&wl_seat_interface, &virtualPointerInterface};
static const struct wl_message managerRequests[] = {{"create_virtual_pointer", "?on", createTypes}};
static const struct wl_interface managerInterface = {"zwlr_virtual_pointer_manager_v1", 1, 1, managerRequests, 0,
                                                     NULL};

struct Globals {
    struct wl_seat* seat;
    struct wl_proxy* manager;
};

static void announce(void* data, struct wl_registry* registry, uint32_t name, const char* interface, uint32_t version)
{
    (void)version;
    struct Globals* globals = data;
    if (!globals->seat && strcmp(interface, "wl_seat") == 0)
        globals->seat = wl_registry_bind(registry, name, &wl_seat_interface, 1);
    else if (strcmp(interface, managerInterface.name) == 0)
        globals->manager = wl_registry_bind(registry, name, &managerInterface, 1);
}

static void withdraw(void* data, struct wl_registry* registry, uint32_t name)
{
    (void)data, (void)registry, (void)name;
}

int main(void)
{
    struct wl_display* display = wl_display_connect(NULL);
    if (!display) {
        fprintf(stderr, "no Wayland display\n");
        return 1;
    }
    struct Globals globals = {NULL, NULL};
    static const struct wl_registry_listener listener = {announce, withdraw};
    wl_registry_add_listener(wl_display_get_registry(display), &listener, &globals);
    wl_display_roundtrip(display);
    if (!globals.seat || !globals.manager) {
        fprintf(stderr, "the compositor offers no seat or no virtual pointers\n");
        return 1;
    }
    wl_proxy_marshal_constructor(globals.manager, 0, &virtualPointerInterface, globals.seat, NULL);
    wl_display_roundtrip(display);
    printf("ready\n");
    fflush(stdout);
    while (wl_display_dispatch(display) != -1) {
    }
    return 0;
}
