#!/usr/bin/env bash
# Quit while only the firmware search runs, against a firmware service that holds its answer
# back far longer: the program quits without a question and is gone within 2 s, cleanly.
source "$(dirname "$0")/panel.sh"

e2e_start
e2e_start_service 60000
e2e_start_program K5R
e2e_wait_for "the search to wait on the service" 10 e2e_connected_to "${E2E_SERVICE##*:}"
e2e_quit_program 2
