/* time_to_map: starts a command and reports the time from its launch until it
 * maps a top-level window with a given title, as the X server sees it.
 *
 * usage: time_to_map [-t TITLE] [-w SECONDS] [-k] -- COMMAND [ARG]...
 *   -t TITLE    the window title to wait for (default "Quillbary")
 *   -w SECONDS  give up after this long (default 30)
 *   -k          keep the command running after the report, until this
 *               helper gets SIGTERM, SIGINT or SIGHUP, then end it
 *
 * Prints one line, "MILLISECONDS PID", on standard output. The command's own
 * standard output goes to standard error, so that line is all a caller reads.
 *
 * The clock starts just before the fork and stops when the MapNotify event is
 * read from the connection. The helper selects SubstructureNotify on the root
 * window, and the server has confirmed that selection before the command
 * starts, so no map can be missed. Without a window manager (as under Xvfb)
 * top-level windows are children of the root and are never reparented; a
 * mapped window counts when its _NET_WM_NAME or WM_NAME, or that of one of its
 * children, is the title, and when its _NET_WM_PID, if set, is the command's.
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
  fprintf(stderr, "usage: time_to_map [-t TITLE] [-w SECONDS] [-k] -- COMMAND [ARG]...\n");
  return 2;
}

int main(int argc, char *argv[]) {
  const char *title = "Quillbary";
  double timeout_ms = 30e3;
  bool keep = false;
  int opt;
  while ((opt = getopt(argc, argv, "t:w:k")) != -1) {
    switch (opt) {
      case 't': title = optarg; break;
      case 'w': timeout_ms = atof(optarg) * 1e3; break;
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
  while (mapped < 0) {
    xcb_generic_event_t *event;
    while (mapped < 0 && (event = xcb_poll_for_event(c)) != NULL) {
      if ((event->response_type & 0x7f) == XCB_MAP_NOTIFY) {
        const double at = now_ms();
        const xcb_map_notify_event_t *map = (const xcb_map_notify_event_t *)event;
        if (is_the_window(c, map->window, title, child)) mapped = at - start;
      }
      free(event);
    }
    if (mapped >= 0) break;
    if (xcb_connection_has_error(c)) {
      fprintf(stderr, "time_to_map: lost the display\n");
      end_child(child);
      return 1;
    }
    int status;
    if (waitpid(child, &status, WNOHANG) == child) {
      fprintf(stderr, "time_to_map: %s ended before mapping a window titled \"%s\"\n",
              argv[optind], title);
      return 1;
    }
    if (stop_requested || now_ms() - start > timeout_ms) {
      fprintf(stderr, "time_to_map: no window titled \"%s\" mapped within %.0f s\n", title,
              timeout_ms / 1e3);
      end_child(child);
      return 1;
    }
    struct pollfd fd = {.fd = xcb_get_file_descriptor(c), .events = POLLIN};
    poll(&fd, 1, 50);
  }
  xcb_disconnect(c);

  printf("%.3f %d\n", mapped, (int)child);
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
