lib/plugins.jar
