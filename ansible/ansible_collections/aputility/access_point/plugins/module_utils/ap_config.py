# -*- coding: utf-8 -*-
# Runs the installed ap-config with --json for the modules of this collection and turns its
# JSON document, or its error object, into the module's result. Every rule of the device
# (what a field takes, the password check, the comparison, the write) stays in ap-config.
# MIT License (see LICENSE in the collection's source repository)

from __future__ import absolute_import, division, print_function

__metaclass__ = type

import json
import os
import re
import subprocess
import tempfile

from ansible.module_utils.basic import AnsibleModule, env_fallback
from ansible.module_utils.common.text.converters import to_text

# The options of the doc fragment aputility.access_point.ap_config.
COMMON_ARGUMENT_SPEC = dict(
    device=dict(type='str'),
    mac=dict(type='str'),
    password=dict(type='str', no_log=True),
    password_file=dict(type='path', no_log=False),
    executable=dict(type='path', fallback=(env_fallback, ['AP_CONFIG_EXECUTABLE'])),
)
COMMON_MUTUALLY_EXCLUSIVE = [('device', 'mac'), ('password', 'password_file')]

# What show --json prints beside the settings: the unit's own values, by their result names.
UNIT_OWN_FIELDS = (
    ('macAddress', 'mac_address'),
    ('firmwareVersion', 'firmware_version'),
    ('regulationDomain', 'regulation_domain'),
)

# The WEP key fields, by the names of ap-config's field reference (docs/ap-config.md): wepKey1
# to wepKey4, and wepKeys, the four as one list. ap-config's JSON says of no field that it is
# secret (its secret fields, the passwords, it never shows), so their names tell.
KEY_FIELD = re.compile(r'wepKey[1-4]\Z|wepKeys\Z')
# What ap-config says of a change it does not show, and the module of a key's.
HIDDEN_CHANGE = 'differs'


def key_values(settings):
    """The WEP keys a desired state gives, as given."""
    values = set()
    for name, value in (settings or {}).items():
        if KEY_FIELD.match(name):
            for key in value if isinstance(value, list) else [value]:
                if key is not None and to_text(key) != '':
                    values.add(to_text(key))
    return values


def hide_keys(changes):
    """ap-config's changes with each key's before and after left out: only said to differ."""
    return dict((name, HIDDEN_CHANGE if KEY_FIELD.match(name) else change)
                for name, change in changes.items())


class SettingsModule(AnsibleModule):
    """The module of a task that gives settings: the WEP keys among them are values Ansible
    never shows, in the invocation it logs on the managed host as in the result."""

    def __init__(self, *args, **kwargs):
        super(SettingsModule, self).__init__(*args, **kwargs)
        self.no_log_values.update(key_values(self.params.get('settings')))

    def _log_invocation(self):
        self.no_log_values.update(key_values(self.params.get('settings')))
        super(SettingsModule, self)._log_invocation()


class ApConfigFailure(Exception):
    """ap-config's error object (or the module's own refusal, in the same form)."""

    def __init__(self, code, message, exit_code=None, stderr=''):
        super(ApConfigFailure, self).__init__(message)
        self.code = code
        self.message = message
        self.exit_code = exit_code
        self.stderr = stderr


class ApConfig(object):
    """One managed host's ap-config, called with the unit and password options given."""

    def __init__(self, module):
        self.module = module
        params = module.params
        self.executable = params['executable'] or module.get_bin_path('ap-config')
        if not self.executable:
            raise ApConfigFailure('failed', 'ap-config is not on the PATH of the managed host: '
                                  'install it, or give executable')
        self.password = params['password']
        if self.password is not None and ('\n' in self.password or '\r' in self.password):
            raise ApConfigFailure('refused', 'the password holds a line break: ap-config reads '
                                  'one line; nothing was run')
        if (self.password is None and params['password_file'] is None
                and 'AP_PASSWORD' not in os.environ):
            raise ApConfigFailure('refused', 'no password: give password or password_file, or '
                                  'AP_PASSWORD in the environment of the task; nothing was run')
        self.device = params['device']
        self.mac = params['mac']
        # The device ap-config list names when none is given.
        self.listed = None
        if self.device is None and self.mac is None:
            self.device = self.only_unit()

    def unit_options(self):
        if self.mac is not None:
            return ['--mac', self.mac]
        return ['--device', self.device] if self.device else []

    def password_options(self):
        if self.password is not None:
            return ['--password-file', '-']
        if self.module.params['password_file'] is not None:
            return ['--password-file', self.module.params['password_file']]
        return []  # AP_PASSWORD, read by ap-config itself

    def run(self, words, options=(), unit=True, password=True):
        """ap-config --json [options] WORDS, for the unit and with the password given unless
        told otherwise; its document, or ApConfigFailure."""
        args = [self.executable, '--json'] + list(options)
        args += self.unit_options() if unit else []
        args += self.password_options() if password else []
        args += list(words)
        data = None
        if password and self.password is not None:
            data = self.password + '\n'
        rc, out, err = self.execute(args, data)
        for line in err.splitlines():
            if 'warning:' in line:
                self.module.warn(line)
        try:
            document = json.loads(out)
        except ValueError:
            document = None
        if not isinstance(document, dict):
            raise ApConfigFailure('failed', 'ap-config gave no JSON document (exit %d): %s'
                                  % (rc, err.strip() or out.strip()), rc, err)
        error = document.get('error')
        if rc != 0 or error:
            error = error if isinstance(error, dict) else {}
            raise ApConfigFailure(error.get('code', 'failed'),
                                  error.get('message', err.strip()),
                                  error.get('exitCode', rc), err)
        return document

    @staticmethod
    def execute(args, data):
        """Runs ap-config with data on its standard input; its exit code, output and errors.
        An ap-config that refuses before it reads its input (an option it does not take) ends
        while the password is still being written: its own error object then tells, where
        module.run_command would fail the task with the broken pipe alone."""
        try:
            process = subprocess.Popen(args, stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                       stderr=subprocess.PIPE)
        except OSError as error:
            raise ApConfigFailure('failed', 'cannot run %s: %s' % (args[0], error))
        out, err = process.communicate(data.encode('utf-8') if data is not None else None)
        return (process.returncode, to_text(out, errors='surrogate_or_replace'),
                to_text(err, errors='surrogate_or_replace'))

    def only_unit(self):
        """The one unit ap-config list finds: its device name, or None for ap-config's own
        default (the loopback transport's one unit takes no --device)."""
        units = self.run(['list'], unit=False, password=False).get('units', [])
        names = [unit.get('device') for unit in units]
        if not names:
            raise ApConfigFailure('device', 'no access point is attached (ap-config list finds '
                                  'none)', 1)
        if len(names) > 1:
            raise ApConfigFailure('refused', 'several access points are attached (%s): give '
                                  'device or mac' % ', '.join(names), 2)
        self.listed = names[0]
        return None if os.environ.get('AP_DEVICE_ADDR') else names[0]

    def private_file(self, document):
        """A file only its owner reads, in the module's own temporary folder, holding the
        document as JSON; its path."""
        fd, path = tempfile.mkstemp(prefix='ap-state-', suffix='.json', dir=self.module.tmpdir)
        with os.fdopen(fd, 'w') as handle:
            json.dump(document, handle)
        return path


def fail(module, failure, **result):
    """Ends the module with ap-config's error word, exit code and message."""
    result.update(code=failure.code, exit_code=failure.exit_code)
    if failure.stderr:
        result['stderr'] = failure.stderr
    module.fail_json(msg=failure.message, **result)
