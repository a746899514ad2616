<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="ru">
<context>
    <name>AboutDialog</name>
    <message>
        <source>О программе</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Версия программы</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Дата сборки программы</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>в</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>BackupStore</name>
    <message>
        <source>перед записью настроек</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>перед обновлением прошивки</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>перед сбросом к заводским настройкам</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>вручную</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>причина неизвестна</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>не удалось создать папку %1: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>не удалось создать %1: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>не удалось записать %1: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>не удалось сохранить %1: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>не удалось удалить старую копию %1: %2</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>BackupsDialog</name>
    <message>
        <source>Резервные копии</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Устройство / время</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Причина</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Размер</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 (подключено)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Сравнить с редактором</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Загрузить в редактор</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>CliOptions</name>
    <message>
        <source>Эта справка.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Версия программы.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Терминал на USB (найти по идентификаторам USB).</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Терминал на заданном последовательном порту.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Сервер-ретранслятор (порт по умолчанию 25501).</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Идентификатор терминала на сервере; можно повторять или перечислить через запятую.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Все терминалы, подключенные к серверу.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>PIN доступа, 4 цифры (или TRIVOX_PIN).</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Группа состояния: system, io, network, all.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Входной файл.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Выходной файл.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Результат в JSON.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Продолжать со следующим терминалом после ошибки.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Подтверждение сброса к заводским настройкам.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Показывать каждый параметр и фрагмент.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Отладочный журнал (на английском).</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>write-settings: дополнить неполный файл настройками терминала.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Не сохранять резервную копию перед write-settings, firmware, factory-reset.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Папка резервных копий.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Обслуживать до N терминалов одновременно (1-64).</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Журнал выполненных терминалов; повтор пропускает сделанное.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Trivox конфигуратор: командная строка для настройки терминалов по USB или через сервер-ретранслятор.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>не указана команда (list, state, read-settings, ...); см. --help</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>неизвестная команда: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>diff: укажите, что сравнивать: два файла или файл и device</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>лишние аргументы: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>пустое имя файла</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>diff: терминал можно сравнить с файлом, но не с самим собой</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 работает с файлами и не обращается к терминалу: --usb, --device, --relay, --id и --all не нужны</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>укажите связь с терминалом: --usb, --device или --relay</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--usb, --device и --relay исключают друг друга</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--device: пустой путь</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--relay указан несколько раз</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--id: пустой идентификатор</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--allow-partial относится только к write-settings</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--jobs: ожидается число от 1 до %1, а не &apos;%2&apos;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--pin: пустой PIN</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>переменная TRIVOX_PIN задана, но пуста</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>PIN должен состоять из 4 цифр</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--relay: неверный порт в &apos;%1&apos;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--relay: не указан адрес сервера</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--group: ожидается system, io, network или all, а не &apos;%1&apos;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--id и --all относятся только к --relay</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>list работает только через сервер (--relay)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>list не принимает --id и --all</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--id и --all исключают друг друга</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>укажите терминалы: --id ID[,ID...] или --all</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>diff сравнивает настройки одного терминала: укажите один --id</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--group относится только к команде state</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1: укажите входной файл (-i)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 не принимает -i</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1: укажите выходной файл (-o)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 не принимает -o</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>сброс к заводским настройкам стирает настройки терминала; для подтверждения добавьте --yes-really</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--yes-really относится только к factory-reset</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 не принимает --json</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--no-backup относится только к write-settings, firmware и factory-reset</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--no-backup и --backup-dir исключают друг друга</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--backup-dir относится только к backup, write-settings, firmware и factory-reset</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 не принимает --jobs и --journal</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Справка: trivox-cli --help</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>CommandLine</name>
    <message>
        <source>Использование: trivox [параметры]
Trivox конфигуратор: настройка терминалов телеметрии GSM/GPRS по USB или через сервер-ретранслятор.

  -h, --help       эта справка
  -v, --version    версия программы
  --lang ru|en     язык интерфейса (по умолчанию - как выбран в окне, иначе как в системе)
  --debug          отладочный журнал (на английском) в стандартный поток ошибок

Принимаются и параметры Qt, например -platform и -style.
</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>DifferencesDialog</name>
    <message>
        <source>Все настройки совпадают.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Различаются настройки: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Настройка</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>FleetJobs</name>
    <message>
        <source>процесс завершился аварийно (код %1)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>не удалось запустить процесс: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>процесс завершился без результата (код %1)</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>FleetJournal</name>
    <message>
        <source>журнал %1 не прочитан: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>слишком большой</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1, строка %2: это не запись журнала trivox-cli; файл не изменен</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>журнал %1 не записан: %2</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>FleetRunner</name>
    <message>
        <source>Потеряно соединение с устройством, проверьте подключение</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Устройство не отвечает, работа прекращена</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>уже выполнено: %1 (журнал %2)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>не выполнялось после ошибки</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>[%1] Пропущено: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Предупреждение: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Не удается открыть файл настроек %1: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Предупреждение: %1: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Файл не найден: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Файл прошивки %1: недопустимый размер %2 байт</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Нельзя записать файл %1: нет такого каталога или нет прав</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>В данный момент к серверу не подключено ни одно устройство</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Устройство не найдено на сервере</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Неизвестный тип устройства %1: настройки не передаются</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>терминал не сообщил IMEI, по которому названа копия</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Настройки терминала прочитаны</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>настройки терминала не помещаются в файл</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Резервная копия сохранена в %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Резервная копия настроек сохранена в %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Резервная копия не сделана: %1. %2 не выполнялось; --no-backup выполнит без копии</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Не прочитано параметров: %1 из %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Состояние прочитано</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Не удается сохранить файл настроек %1: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Настройки сохранены в %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Файл настроек %1 неполный: нет %2 настроек (%3); запись прервана, --allow-partial дополнит его настройками терминала</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Терминал прислал неполные настройки: нет %1 настроек</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Не удается сохранить файл %1: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>LOG сохранен в %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 (резервная копия: %2)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>[%1] Готово: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>[%1] Не выполнено: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ошибка: %1</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>Trivox конфигуратор</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Состояние</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Настройки</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Диагностика</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>О программе</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Обновление</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Загрузить</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Сохранить</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Соединиться</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Основное</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Входы/выходы</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Сеть</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Загрузить настройки из файла</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Сохранить настройки в файл</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Сравнить с файлом…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Резервные копии…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Показать</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Соединения</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Безопасность</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Интерфейсы</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>LOG</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>История состояний</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Считать LOG</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Сохранить в файл</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Очистить</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Найти (Ctrl+F)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Не удается открыть файл, возможно он открыт в другом приложении</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Не удается открыть файл</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Файлы настроек (*.ksf);;Настройки в JSON (*.json)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Настройки (*.ksf *.json);;Файлы настроек (*.ksf);;Настройки в JSON (*.json)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Нет соединения с устройством</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Соединение не установлено</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Отключиться</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ошибка</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Потеряно соединение с устройством, проверьте подключение</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Прекратить переподключение</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Устройство отключено</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Устройства не найдены</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>В данный момент к серверу не подключено ни одно устройство</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Устройство снова на связи (попыток: %1)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Настройки считаны не полностью</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Устройство прислало не все настройки: не хватает %1. Эти поля показывают прежние значения, а не значения устройства.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Введите pin-код</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Попытка настроек количества серверов больше 6</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Добавление невозможно</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Для добавления датчиков необходимо подключить устройство</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Режим добавления датчиков</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Включен режм добавления. Подключите новые датчики к устройству, затем нажмите ок. Датчики будут добавлены автоматически.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Рестарт устройства</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Устройство будет перезагружено, сеанс связи с ним завершится.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Перезагрузить</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Сброс к заводским настройкам</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Все настройки устройства будут заменены заводскими, сеанс связи с ним завершится. Отменить сброс нельзя.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Сбросить настройки</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>При закрытии программы они будут потеряны.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Закрыть</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Загрузка невозможна</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Для загрузки ПО необходимо подключить устройство</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Выберите файл прошивки</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Файлы прошивок Kora (*.kbf)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Обновление прошивки</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>В устройство будет записана прошивка из файла
%1
(%2 байт).
После загрузки устройство отключится.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Загрузить прошивку</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Переподключение остановлено</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>После отключения записать их в это устройство будет нельзя.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Они останутся в редакторе, но принадлежат не новому устройству.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Запись в другое устройство</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Настройки в редакторе считаны из %1 (%2), а подключено %3.
Записать их в %3?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Записать в %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Загрузка заменит их настройками устройства.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Укажите место сохранения</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Файлы LOG (*.log)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Выберите файл настроек</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Файл заменит их.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Загрузить файл</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Файл загружен не полностью</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>В файле %1 нет %2 настроек (%3). Эти поля сохранили прежние значения.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>устройства на USB</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Изменения не записаны</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Настройки в редакторе изменены, но не записаны в устройство и не сохранены в файл. %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Изменений нет</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Изменений: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Изменения, не записанные в устройство</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Было</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Стало</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Выберите файл для сравнения</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Сравнение с файлом %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>В файле</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>В редакторе</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Резервная копия и редактор</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>В копии</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Резервная копия заменит их.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Загрузить копию</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>это не файл настроек (%1 байт)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>устройство не назвало свой IMEI</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Резервная копия сохранена: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Резервная копия не сохранена</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Не удалось сохранить резервную копию настроек устройства:
%1

Без неё прежние настройки устройства нельзя будет вернуть.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Продолжить без копии</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Устройство не вернулось за %1 с, переподключение прекращено</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Переподключение: попытка %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Устройство вернулось с другой прошивкой: %1 (была %2)</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>QObject</name>
    <message>
        <source>Цифровой выход</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Вкл.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Выкл.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>SessionOutcome</name>
    <message>
        <source>Невозможно соединиться с сервером</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Сервер не прислал список устройств</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ошибка подключения</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Устройство не найдено</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Устройство занято другим конфигуратором</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Введен неверный пин-код</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Устройство не отвечает</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Устройство подключено</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Устройство отключено</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Потеряно соединение с устройством</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ошибка чтения настроек для резервной копии</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Настройки загружены</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ошибка загрузк настроек</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Настройки переданы</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ошибка передачи настроек</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>LOG файл успешно загружен</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ошибка загрузки LOG-файла</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Прошивка успешно загружена - устройство отключено</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Файл не найден</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ошибка открытия файла</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ошибка загрузки прошивки</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Отправлена команда на перезагрузку устройства - устройство отключено</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Отправлена команда на сброс к заводским настройкам - устройство отключено</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Устройство не подтвердило команду</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Устройство не приняло параметр %1</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>SessionProgress</name>
    <message>
        <source>Поиск устройства</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Устройство найдено, авторизация</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ошибка авторизации</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Загрузка настроек</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Чтение настроек для резервной копии</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Передача настроек</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Загрузка LOG-файла</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Отправка команды</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Чтение параметра </source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Передача параметра </source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Передача фрагмента %1 из %2</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>SettingFieldValue</name>
    <message>
        <source>неизвестное значение (%1)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>да</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>нет</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>байты %1</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>SettingsDiff</name>
    <message>
        <source>запись отсутствует</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 (%2)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Запись %1</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>SettingsFields</name>
    <message>
        <source>Выключен</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Прозрачный обмен</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Пакетный обмен</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Включен</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>RS-232</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>RS-485</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>600</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>1200</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>2400</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>4800</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>9600</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>19200</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>38400</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>57600</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>115200</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>7 бит</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>8 бит</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Нет</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Even</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Odd</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>0.5 бит</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>1 бит</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>1.5 бит</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>2 бит</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Параллельный</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Последовательный</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Цифровой</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Частотный</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Импульсный</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Аналоговый</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Низкий</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Высокий</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>сек</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>мс</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Трансляция в RS-232 (сервер %1)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Трансляция в RS-485 (сервер %1)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Инженерный сервер (7)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>CSD-соединение</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Настройки SIM-карты %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Авторизованные телефоны</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Интерфейс RS-232</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Интерфейс RS-485</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Мультифункциональный вход %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Внешние датчики температуры</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Тип соединения</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Адрес сервера:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Время удержания сессии, сек:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Тип интерфейса</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>APN:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Имя пользователя:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Пароль:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Код запроса баланса SIM:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Включить доступ по пин-коду:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Пин-код доступа к устройству:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Номер телефона %1:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Скорость обмена, бит/с:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Количество бит данных:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Контроль четности:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Длительность стоп-бита:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Время ожидания ответа, мс:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Режим работы с серверами:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Таймаут ожидания запросов с сервера, сек:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Кол-во попыток соединения:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Пауза между попытками соединения с сервером, сек:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Тип входа:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Активный уровень:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Датчик температуры %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Режим добавления датчиков</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>SettingsFile</name>
    <message>
        <source>слишком большой для файла настроек (%1 байт)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>слишком большой для файла настроек</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>слишком короткий для файла настроек (%1 байт)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>загружено записей: %1 из %2%3</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>, файл обрывается посреди записи</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>SettingsJson</name>
    <message>
        <source>%1 байт: короче кода и заголовка файла настроек</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>заголовок не «SETTINGS» и восемь нулей</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>лишняя запись %1 по смещению %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>по смещению %1 ожидается запись %2 из %3 байт, а там %4 из %5 байт</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>файл обрывается внутри записи по смещению %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>нет настроек %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>код подлинности не совпадает с содержимым</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>ожидается «%1»</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>ожидается версия %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>неизвестный ключ</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>логическое значение</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>число</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>строка</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>массив</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>объект</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>ничего</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>ожидается %1, а не %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>отсутствует</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>элементов %1, ожидается %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>ожидается {&quot;hex&quot;: &quot;...&quot;} из %1 шестнадцатеричных цифр</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 не целое неотрицательное число</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 вне диапазона %2…%3</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>true или false</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>символ U+%1 не записать в Windows-1251</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>текст не записать в Windows-1251</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 байт, а поле вмещает %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>ожидается строка из %1 шестнадцатеричных цифр</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 не из значений %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>$: не JSON: %1 (смещение %2)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>$: ожидается объект</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>SettingsOrigin</name>
    <message>
        <source>Настройки: не считаны из устройства и не загружены из файла</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Настройки: считаны из %1 в %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Настройки: из файла %1 (%2)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>, не хватало %1 настроек</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>SettingsText</name>
    <message>
        <source>Настройки сохранены в %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>это не файл настроек .ksf (нет заголовка SETTINGS)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Настройки совпадают</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Различающихся настроек: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ошибка: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>не удается открыть: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>слишком большой (больше %1 байт)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>не удается записать: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>не удается сохранить: %1</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>StateReport</name>
    <message>
        <source>на связи</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>нет соединения</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>вкл.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>выкл.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>нет связи</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>StateViews</name>
    <message>
        <source>В</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>град.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Гц</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>имп.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>кБ</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>сек.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>UserPrompts</name>
    <message>
        <source>Отмена</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>connection_window</name>
    <message>
        <source>Выбор соединения</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Соединиться через USB</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Соединиться по TCP</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Адрес:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Порт:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Переподключаться автоматически</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>После перезагрузки, обновления прошивки или потери связи соединяться с тем же устройством снова, каждые 2 с в течение 2 минут</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Соединиться</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Отмена</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>select_device_dialog</name>
    <message>
        <source>Ok</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Отмена</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Обновить</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>По алфавиту</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Выберите устройство</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Фильтр: номер или имя устройства</source>
        <translation type="unfinished"></translation>
    </message>
</context>
</TS>
