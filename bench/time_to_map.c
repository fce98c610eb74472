/* time_to_map: starts a command and reports the time from its launch until it
 * maps a top-level window with a given title, and until the first burst of
 * drawing on that window is over, as the X server sees both.
 *
 * usage: time_to_map [-t TITLE] [-w SECONDS] [-q MILLISECONDS] [-k] -- COMMAND [ARG]...
 *   -t TITLE    the window title to wait for (default "Quillbary")
 *   -w SECONDS  give up after this long (default 30)
 *   -q MS       the quiet that ends the first burst of drawing (default 100)
 *   -k          keep the command running after the report, until this
 *               helper gets SIGTERM, SIGINT or SIGHUP, then end it
 *
 * Prints one line, "MAP_MS PAINT_MS PID", on standard output. The command's
 * own standard output goes to standard error, so that line is all a caller
 * reads.
 *
 * The clock starts just before the fork. MAP_MS stops when the MapNotify
 * event is read from the connection. The helper selects SubstructureNotify
 * on the root window, and the server has confirmed that selection before the
 * command starts, so no map can be missed. Without a window manager (as under
 * Xvfb) top-level windows are children of the root and are never reparented;
 * a mapped window counts when its _NET_WM_NAME or WM_NAME, or that of one of
 * its children, is the title, and when its _NET_WM_PID, if set, is the
 * command's.
 *
 * PAINT_MS is the time of the last DamageNotify (X DAMAGE extension) on that
 * window before a quiet of -q milliseconds: the moment its first paint is on
 * the screen. Each top-level window gets a damage object as its CreateNotify
 * arrives, before it can be mapped, so no drawing is missed either. A clock
 * that redraws within the quiet after the first paint joins the burst; the
 * median of several launches passes over it.
 */
#define _POSIX_C_SOURCE 200809L

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdbool.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>
#include <xcb/damage.h>
#include <xcb/xcb.h>

static xcb_atom_t net_wm_name, net_wm_pid, utf8_string;
static volatile sig_atomic_t stop_requested;

static double now_ms(void) {
  struct timespec ts;
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return (double)ts.tv_sec * 1e3 + (double)ts.tv_nsec / 1e6;
}

static xcb_atom_t intern(xcb_connection_t *c, const char *name) {
  xcb_intern_atom_reply_t *reply =
      xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, (uint16_t)strlen(name), name), NULL);
  xcb_atom_t atom = reply ? reply->atom : XCB_ATOM_NONE;
  free(reply);
  return atom;
}

/* Whether `window`'s property `property` (of any type when `type` is
 * XCB_GET_PROPERTY_TYPE_ANY) holds exactly the bytes of `title`. */
static bool property_is(xcb_connection_t *c, xcb_window_t window, xcb_atom_t property,
                        xcb_atom_t type, const char *title) {
  xcb_get_property_reply_t *reply = xcb_get_property_reply(
      c, xcb_get_property(c, 0, window, property, type, 0, 256), NULL);
  if (!reply) return false;
  const size_t length = (size_t)xcb_get_property_value_length(reply);
  const bool same = reply->format == 8 && length == strlen(title) &&
                    memcmp(xcb_get_property_value(reply), title, length) == 0;
  free(reply);
  return same;
}

static bool titled(xcb_connection_t *c, xcb_window_t window, const char *title) {
  return property_is(c, window, net_wm_name, utf8_string, title) ||
         property_is(c, window, XCB_ATOM_WM_NAME, XCB_GET_PROPERTY_TYPE_ANY, title);
}

/* The _NET_WM_PID of `window`, or 0 when it has none. */
static uint32_t window_pid(xcb_connection_t *c, xcb_window_t window) {
  xcb_get_property_reply_t *reply = xcb_get_property_reply(
      c, xcb_get_property(c, 0, window, net_wm_pid, XCB_ATOM_CARDINAL, 0, 1), NULL);
  uint32_t pid = 0;
  if (reply && reply->format == 32 && xcb_get_property_value_length(reply) == 4) {
    memcpy(&pid, xcb_get_property_value(reply), sizeof pid);
  }
  free(reply);
  return pid;
}

static bool is_the_window(xcb_connection_t *c, xcb_window_t window, const char *title,
                          pid_t child) {
  const uint32_t owner = window_pid(c, window);
  if (owner != 0 && owner != (uint32_t)child) return false;
  if (titled(c, window, title)) return true;
  xcb_query_tree_reply_t *tree = xcb_query_tree_reply(c, xcb_query_tree(c, window), NULL);
  if (!tree) return false;
  bool found = false;
  const xcb_window_t *children = xcb_query_tree_children(tree);
  for (int i = 0; i < xcb_query_tree_children_length(tree) && !found; ++i) {
    found = titled(c, children[i], title);
  }
  free(tree);
  return found;
}

/* Asks for a DamageNotify on every change to `window`'s contents. Errors (a
 * window already gone) arrive as events and are passed over. */
static void watch_damage(xcb_connection_t *c, xcb_window_t window) {
  xcb_damage_create(c, xcb_generate_id(c), window, XCB_DAMAGE_REPORT_LEVEL_RAW_RECTANGLES);
  xcb_flush(c); /* before the window can be mapped and drawn on */
}

/* The time of the last drawing on each watched window, by window id. */
enum { kMaxWindows = 256 };
struct drawing {
  xcb_window_t window;
  double last_ms;
};
static struct drawing drawn[kMaxWindows];
static int drawn_count;

static void note_drawing(xcb_window_t window, double at) {
  for (int i = 0; i < drawn_count; ++i) {
    if (drawn[i].window == window) {
      drawn[i].last_ms = at;
      return;
    }
  }
  if (drawn_count < kMaxWindows) drawn[drawn_count++] = (struct drawing){window, at};
}

/* When `window` was last drawn on, or -1 if it has not been. */
static double last_drawing(xcb_window_t window) {
  for (int i = 0; i < drawn_count; ++i) {
    if (drawn[i].window == window) return drawn[i].last_ms;
  }
  return -1;
}

/* Ends the child: SIGTERM, then SIGKILL if it is still there after 3 s. */
static void end_child(pid_t child) {
  kill(child, SIGTERM);
  for (int i = 0; i < 300; ++i) {
    if (waitpid(child, NULL, WNOHANG) == child) return;
    nanosleep(&(struct timespec){.tv_nsec = 10 * 1000 * 1000}, NULL);
  }
  kill(child, SIGKILL);
  waitpid(child, NULL, 0);
}

static void on_stop_signal(int signal_number) {
  (void)signal_number;
  stop_requested = 1;
}

static int usage(void) {
  fprintf(stderr,
          "usage: time_to_map [-t TITLE] [-w SECONDS] [-q MILLISECONDS] [-k] -- COMMAND [ARG]...\n");
  return 2;
}

int main(int argc, char *argv[]) {
  const char *title = "Quillbary";
  double timeout_ms = 30e3;
  double quiet_ms = 100;
  bool keep = false;
  int opt;
  while ((opt = getopt(argc, argv, "t:w:q:k")) != -1) {
    switch (opt) {
      case 't': title = optarg; break;
      case 'w': timeout_ms = atof(optarg) * 1e3; break;
      case 'q': quiet_ms = atof(optarg); break;
      case 'k': keep = true; break;
      default: return usage();
    }
  }
  if (optind >= argc) return usage();

  xcb_connection_t *c = xcb_connect(NULL, NULL);
  if (xcb_connection_has_error(c)) {
    fprintf(stderr, "time_to_map: cannot open the display\n");
    return 1;
  }
  fcntl(xcb_get_file_descriptor(c), F_SETFD, FD_CLOEXEC);
  const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
  net_wm_name = intern(c, "_NET_WM_NAME");
  net_wm_pid = intern(c, "_NET_WM_PID");
  utf8_string = intern(c, "UTF8_STRING");
  const xcb_query_extension_reply_t *damage = xcb_get_extension_data(c, &xcb_damage_id);
  if (!damage || !damage->present) {
    fprintf(stderr, "time_to_map: the display has no DAMAGE extension\n");
    return 1;
  }
  /* The extension answers nothing else until its version is agreed. */
  free(xcb_damage_query_version_reply(
      c, xcb_damage_query_version(c, XCB_DAMAGE_MAJOR_VERSION, XCB_DAMAGE_MINOR_VERSION), NULL));
  const uint8_t damage_notify = (uint8_t)(damage->first_event + XCB_DAMAGE_NOTIFY);
  const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
  xcb_generic_error_t *error = xcb_request_check(
      c, xcb_change_window_attributes_checked(c, root, XCB_CW_EVENT_MASK, &mask));
  if (error) {
    fprintf(stderr, "time_to_map: cannot watch the root window (error %d)\n", error->error_code);
    return 1;
  }

  struct sigaction stop = {.sa_handler = on_stop_signal};
  sigemptyset(&stop.sa_mask);
  sigaction(SIGTERM, &stop, NULL);
  sigaction(SIGINT, &stop, NULL);
  sigaction(SIGHUP, &stop, NULL);

  const double start = now_ms();
  const pid_t child = fork();
  if (child < 0) {
    perror("time_to_map: fork");
    return 1;
  }
  if (child == 0) {
    signal(SIGTERM, SIG_DFL);
    signal(SIGINT, SIG_DFL);
    signal(SIGHUP, SIG_DFL);
    dup2(STDERR_FILENO, STDOUT_FILENO);
    execvp(argv[optind], &argv[optind]);
    fprintf(stderr, "time_to_map: cannot run %s: %s\n", argv[optind], strerror(errno));
    _exit(127);
  }

  double mapped = -1;
  double painted = -1;
  xcb_window_t target = XCB_WINDOW_NONE;
  while (painted < 0) {
    xcb_generic_event_t *event;
    while ((event = xcb_poll_for_event(c)) != NULL) {
      const double at = now_ms();
      const uint8_t type = event->response_type & 0x7f;
      if (type == XCB_CREATE_NOTIFY) {
        const xcb_create_notify_event_t *create = (const xcb_create_notify_event_t *)event;
        if (create->parent == root) watch_damage(c, create->window);
      } else if (type == damage_notify) {
        note_drawing(((const xcb_damage_notify_event_t *)event)->drawable, at);
      } else if (type == XCB_MAP_NOTIFY && mapped < 0) {
        const xcb_map_notify_event_t *map = (const xcb_map_notify_event_t *)event;
        if (is_the_window(c, map->window, title, child)) {
          mapped = at - start;
          target = map->window;
        }
      }
      free(event);
    }
    xcb_flush(c);
    /* The first burst is over once the window has been drawn on and then
     * left alone for the quiet. */
    double wait_ms = 50;
    if (mapped >= 0) {
      const double last = last_drawing(target);
      if (last >= 0) {
        const double quiet_left = last + quiet_ms - now_ms();
        if (quiet_left <= 0) {
          painted = last - start;
          break;
        }
        if (quiet_left < wait_ms) wait_ms = quiet_left;
      }
    }
    if (xcb_connection_has_error(c)) {
      fprintf(stderr, "time_to_map: lost the display\n");
      end_child(child);
      return 1;
    }
    int status;
    if (waitpid(child, &status, WNOHANG) == child) {
      fprintf(stderr, "time_to_map: %s ended before %s a window titled \"%s\"\n", argv[optind],
              mapped < 0 ? "mapping" : "drawing on", title);
      return 1;
    }
    if (stop_requested || now_ms() - start > timeout_ms) {
      fprintf(stderr, "time_to_map: no window titled \"%s\" %s within %.0f s\n", title,
              mapped < 0 ? "mapped" : "drawn on", timeout_ms / 1e3);
      end_child(child);
      return 1;
    }
    struct pollfd fd = {.fd = xcb_get_file_descriptor(c), .events = POLLIN};
    poll(&fd, 1, (int)wait_ms + 1);
  }
  xcb_disconnect(c);

  printf("%.3f %.3f %d\n", mapped, painted, (int)child);
  fflush(stdout);
  if (!keep) {
    end_child(child);
    return 0;
  }
  /* Checked every 50 ms rather than in a blocking wait, so that a signal
   * that comes just before the wait cannot be missed. */
  while (!stop_requested) {
    if (waitpid(child, NULL, WNOHANG) == child) {
      fprintf(stderr, "time_to_map: %s ended while kept running\n", argv[optind]);
      return 1;
    }
    nanosleep(&(struct timespec){.tv_nsec = 50 * 1000 * 1000}, NULL);
  }
  end_child(child);
  return 0;
}
