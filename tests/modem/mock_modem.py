'''python-dbusmock template: ModemManager with one modem that sends and receives short messages.

The test drives it through the mock interface (org.freedesktop.DBus.Mock) of the main object:
  AddReceived(number, text, timestamp, complete) -> path   the network delivered a message;
                                                  not complete: parts are still missing
  CompleteReceived(path)                          the missing parts arrived
  Fail(what, fail)                                Send ("sends") or Delete ("deletes") answers
                                                  with an error, or works again
  RemoveModem()                                   the modem goes away
  Messages() -> as                                the texts of the Sms objects the modem holds now
  Created() -> aa{sv}                             the properties of each Create, oldest first
  WaitForDeletes(count)                           answers once Delete was called `count` times

Run as a program (by the modem tests), it starts a private bus at DBUS_SYSTEM_BUS_ADDRESS with this
mock on it and turns each line of its input, a JSON call [method, args...] of that interface, into
a line of output: the JSON of the answer, or {"error": why}. Bus and mock end with the input.
'''
import dbus
from dbusmock import mockobject

BUS_NAME = 'org.freedesktop.ModemManager1'
MAIN_OBJ = '/org/freedesktop/ModemManager1'
MAIN_IFACE = 'org.freedesktop.ModemManager1'
SYSTEM_BUS = True
IS_OBJECT_MANAGER = True

MODEM = MAIN_OBJ + '/Modem/0'
MODEM_IFACE = MAIN_IFACE + '.Modem'
MESSAGING_IFACE = MODEM_IFACE + '.Messaging'
SMS_IFACE = MAIN_IFACE + '.Sms'
MOCK_IFACE = 'org.freedesktop.DBus.Mock'

# MMSmsState and MMSmsPduType
STORED, RECEIVING, RECEIVED, SENT = 1, 2, 3, 5
DELIVER, SUBMIT = 1, 2

config = {'count': 0}


def load(mock, parameters):
    config.update(fail_sends=False, fail_deletes=False, created=[], deletes=0, waits=[])
    mock.AddProperty(MAIN_IFACE, 'Version', '1.20.4')
    mock.AddMethods(MAIN_IFACE, [('ScanDevices', '', '', ''), ('SetLogging', 's', '', '')])
    mock.AddObject(MODEM, MODEM_IFACE, {
        'OwnNumbers': dbus.Array(parameters.get('OwnNumbers', ['+821055501234']), signature='s'),
        'State': dbus.Int32(11),
    }, [])
    modem = mockobject.objects[MODEM]
    modem.AddProperties(MESSAGING_IFACE, {
        'Messages': dbus.Array([], signature='o'),
        'SupportedStorages': dbus.Array([], signature='u'),
        'DefaultStorage': dbus.UInt32(0),
    })
    modem.AddMethods(MESSAGING_IFACE, [
        ('List', '', 'ao', lambda self: self.Get(MESSAGING_IFACE, 'Messages')),
        ('Create', 'a{sv}', 'o', lambda self, props: submit(mock, props)),
        ('Delete', 'o', '', lambda self, path: delete(path)),
    ])
    mock.object_manager_emit_added(MODEM)


def modem():
    return mockobject.objects[MODEM]


def set_messages(paths):
    modem().UpdateProperties(MESSAGING_IFACE, {'Messages': dbus.Array(paths, signature='o')})


def create(mock, props, pdu_type, state, received):
    config['count'] += 1
    path = f'{MAIN_OBJ}/SMS/{config["count"]}'
    properties = {
        'State': dbus.UInt32(state), 'PduType': dbus.UInt32(pdu_type),
        'Number': dbus.String(props.get('number', '')), 'Text': dbus.String(props.get('text', '')),
        'Timestamp': dbus.String(props.get('timestamp', '')), 'SMSC': dbus.String(''),
        'Class': dbus.Int32(props.get('class', -1)), 'Storage': dbus.UInt32(0),
    }
    mock.AddObject(path, SMS_IFACE, properties, [])
    mockobject.objects[path].AddMethods(SMS_IFACE, [
        ('Send', '', '', lambda self: send(self)),
        ('Store', 'u', '', lambda self, storage: None),
    ])
    set_messages(list(modem().Get(MESSAGING_IFACE, 'Messages')) + [dbus.ObjectPath(path)])
    modem().EmitSignal(MESSAGING_IFACE, 'Added', 'ob', [dbus.ObjectPath(path), received])
    return dbus.ObjectPath(path)


def submit(mock, props):
    config['created'].append(props)
    return create(mock, props, SUBMIT, STORED, False)


def send(sms):
    if config['fail_sends']:
        raise dbus.exceptions.DBusException('the network refused the message',
                                            name='org.freedesktop.ModemManager1.Error.Core.Failed')
    sms.UpdateProperties(SMS_IFACE, {'State': dbus.UInt32(SENT)})


def delete(path):
    config['deletes'] += 1
    answer_waits()
    if config['fail_deletes']:
        raise dbus.exceptions.DBusException('storage busy', name='org.freedesktop.ModemManager1.Error.Core.Failed')
    paths = list(modem().Get(MESSAGING_IFACE, 'Messages'))
    if path not in paths:
        raise dbus.exceptions.DBusException('no such message', name='org.freedesktop.ModemManager1.Error.Core.NotFound')
    paths.remove(path)
    set_messages(paths)
    modem().EmitSignal(MESSAGING_IFACE, 'Deleted', 'o', [dbus.ObjectPath(path)])
    mockobject.objects[MAIN_OBJ].RemoveObject(path)


def answer_waits():
    waits = config['waits']
    config['waits'] = [(count, reply) for count, reply in waits if count > config['deletes']]
    for count, reply in waits:
        if count <= config['deletes']:
            reply()


@dbus.service.method(MOCK_IFACE, in_signature='i', out_signature='', async_callbacks=('reply', 'error'))
def WaitForDeletes(self, count, reply, error):
    config['waits'].append((count, reply))
    answer_waits()


@dbus.service.method(MOCK_IFACE, in_signature='sssb', out_signature='o')
def AddReceived(self, number, text, timestamp, complete):
    return create(self, {'number': number, 'text': text, 'timestamp': timestamp}, DELIVER,
                  RECEIVED if complete else RECEIVING, True)


@dbus.service.method(MOCK_IFACE, in_signature='o', out_signature='')
def CompleteReceived(self, path):
    mockobject.objects[path].UpdateProperties(SMS_IFACE, {'State': dbus.UInt32(RECEIVED)})


@dbus.service.method(MOCK_IFACE, in_signature='sb', out_signature='')
def Fail(self, what, fail):
    config['fail_' + what] = bool(fail)


@dbus.service.method(MOCK_IFACE, in_signature='', out_signature='')
def RemoveModem(self):
    self.object_manager_emit_removed(MODEM)
    self.RemoveObject(MODEM)


@dbus.service.method(MOCK_IFACE, in_signature='', out_signature='as')
def Messages(self):
    return [mockobject.objects[p].Get(SMS_IFACE, 'Text') for p in modem().Get(MESSAGING_IFACE, 'Messages')]


@dbus.service.method(MOCK_IFACE, in_signature='', out_signature='aa{sv}')
def Created(self):
    return config['created']


if __name__ == '__main__':
    import json
    import os
    import subprocess
    import sys
    from dbusmock import DBusTestCase
    bus = subprocess.Popen(['dbus-daemon', '--session', '--nofork', '--print-address',
                            '--address=' + os.environ['DBUS_SYSTEM_BUS_ADDRESS']],
                           stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
    bus.stdout.readline()  # it listens now
    mock, main = DBusTestCase.spawn_server_template(__file__, stdout=subprocess.DEVNULL)
    for line in sys.stdin:
        method, *args = json.loads(line)
        try:
            answer = main.get_dbus_method(method, MOCK_IFACE)(*args)
        except dbus.exceptions.DBusException as e:
            answer = {'error': str(e)}
        print(json.dumps(answer), flush=True)
    bus.terminate()
    mock.wait()
