# -*- coding: utf-8 -*-
# The options every module of the collection passes to ap-config: which unit, its password
# and which ap-config.
# MIT License (see LICENSE in the collection's source repository)

from __future__ import absolute_import, division, print_function

__metaclass__ = type


class ModuleDocFragment(object):
    DOCUMENTATION = r'''
options:
  device:
    description:
      - The unit's device name on the managed host (C(DfuDevice0), C(DfuDevice1), ...), as
        C(ap-config list) prints it; passed as C(--device).
      - Without I(device) or I(mac) the module takes the one unit C(ap-config list) finds and
        fails when there is none or more than one.
    type: str
  mac:
    description:
      - The unit that holds this MAC address, in any form C(ap-config --mac) takes
        (C(02:1a:2b:3c:4d:5e), C(02-1A-2B-3C-4D-5E), C(021a2b3c4d5e)); passed as C(--mac).
    type: str
  password:
    description:
      - The unit's login password, exactly as typed in the login dialog.
      - Given to C(ap-config) on its standard input (C(--password-file -)), never on its command
        line; the module's results and logs never hold it.
      - Without I(password) or I(password_file) the variable C(AP_PASSWORD) of the task's
        environment is taken; with none of the three the module fails without running
        C(ap-config).
      - A password holding a line break is refused (C(ap-config) reads one line).
    type: str
  password_file:
    description:
      - A file on the managed host whose first line is the password (C(--password-file)).
        Keep it readable by its owner only; C(ap-config) warns otherwise, and the module shows
        the warning.
    type: path
  executable:
    description:
      - The C(ap-config) program on the managed host.
      - Default the variable C(AP_CONFIG_EXECUTABLE) of the task's environment, else
        C(ap-config) found on C(PATH) (C(/usr/bin/ap-config) from the Debian package).
    type: path
attributes:
  platform:
    support: full
    platforms: posix
    description: Runs the managed host's C(ap-config); Windows hosts call C(ap-config.exe)
      through M(ansible.windows.win_command) (see the collection's README).
author:
  - ap-utility developers (no GitHub account) !UNKNOWN
requirements:
  - C(ap-config) on the managed host (Debian package C(ap-utility), or C(ap-config.exe) on
    Windows through M(ansible.windows.win_command), see the collection's README).
notes:
  - The device folder is the one of C(ap-config) (C(AP_DEVICE_DIR), C(AP_DEVICE_ADDR) for
    the loopback transport); give them in the task's or play's C(environment).
  - A failure carries C(ap-config)'s error object, I(code) (C(device), C(refused),
    C(read-back-differs), C(wrong-password), C(in-use), C(changed-meanwhile), C(output); C(failed) when
    C(ap-config) gave none), I(exit_code) and its message as I(msg).
'''
